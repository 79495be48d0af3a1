// SPDX-License-Identifier: MIT
#include "backends/linux/x11/net_wm_icon.h"

#include <algorithm>
#include <cstdlib>

namespace tavrine::x11 {

std::optional<ArgbIcon> chooseNetWmIcon(std::span<const unsigned long> data, int preferredSide) {
  constexpr unsigned long kLow32 = 0xFFFFFFFFUL;
  std::size_t bestAt = 0;
  unsigned long bestWidth = 0;
  unsigned long bestHeight = 0;
  long bestDistance = -1;

  std::size_t at = 0;
  while (data.size() - at >= 2) {
    const unsigned long width = data[at] & kLow32;
    const unsigned long height = data[at + 1] & kLow32;
    if (width == 0 || height == 0 || width > kMaxIconSide || height > kMaxIconSide) break;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    if (data.size() - at - 2 < count) break;  // truncated

    const long side = static_cast<long>(std::max(width, height));
    const long distance = std::labs(side - preferredSide);
    const long bestSide = static_cast<long>(std::max(bestWidth, bestHeight));
    if (bestDistance < 0 || distance < bestDistance ||
        (distance == bestDistance && side > bestSide)) {
      bestAt = at + 2;
      bestWidth = width;
      bestHeight = height;
      bestDistance = distance;
    }
    at += 2 + count;
  }
  if (bestDistance < 0) return std::nullopt;

  ArgbIcon icon;
  icon.width = static_cast<int>(bestWidth);
  icon.height = static_cast<int>(bestHeight);
  const std::span<const unsigned long> pixels = data.subspan(bestAt, bestWidth * bestHeight);
  icon.pixels.reserve(pixels.size());
  for (unsigned long pixel : pixels)
    icon.pixels.push_back(static_cast<std::uint32_t>(pixel & kLow32));
  return icon;
}

}  // namespace tavrine::x11
