// SPDX-License-Identifier: MIT
// The screen port on macOS: the screen with the window that receives keyboard events
// (NSScreen's main screen), whichever application owns that window.
#pragma once

#include "ports/screen.h"

namespace tavrine::macos {

class NsScreens final : public ScreenPort {
 public:
  // AppKit's screen coordinates are the core's: points, origin at the lower left of the
  // primary screen (the one with the menu bar).
  std::optional<Rect> mainScreenVisibleFrame() const override;
};

}  // namespace tavrine::macos
