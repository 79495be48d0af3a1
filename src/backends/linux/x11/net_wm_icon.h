// SPDX-License-Identifier: MIT
// Choosing one picture out of a window's _NET_WM_ICON: a list of icons, each its width, its
// height and width × height pixels, every number a 32-bit cardinal.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tavrine::x11 {

struct ArgbIcon {
  int width = 0;
  int height = 0;
  // Non-premultiplied ARGB, 0xAARRGGBB, rows from the top.
  std::vector<std::uint32_t> pixels;
};

// Sides beyond this are taken for garbage; nobody draws an application icon that large.
inline constexpr unsigned long kMaxIconSide = 1024;

// The icon whose larger side is nearest `preferredSide` (on a tie, the larger icon: scaling down
// looks better than scaling up). `data` is the property as Xlib hands it over, one `long` per
// cardinal, of which only the low 32 bits count. An entry with a zero or absurd side, or more
// pixels than the data holds, ends the list: what came before it still counts.
std::optional<ArgbIcon> chooseNetWmIcon(std::span<const unsigned long> data,
                                        int preferredSide = 64);

}  // namespace tavrine::x11
