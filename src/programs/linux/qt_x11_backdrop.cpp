// SPDX-License-Identifier: MIT
#include "programs/linux/qt_x11_backdrop.h"

#include <vector>

namespace tavrine::program {

bool QtX11Backdrop::blurBehind(WId window, const QRegion& region) {
  std::vector<x11::PixelRect> rects;
  for (const QRect& r : region)
    rects.push_back({r.x(), r.y(), r.width(), r.height()});
  // An empty region would withdraw the request; there is nothing to blur.
  if (rects.empty()) return false;
  return effects_.setBlurBehind(static_cast<std::uint64_t>(window), rects);
}

}  // namespace tavrine::program
