// SPDX-License-Identifier: MIT
// The screen port: where a centred panel may go.
#pragma once

#include <optional>

#include "ports/geometry.h"

namespace tavrine {

class ScreenPort {
 public:
  virtual ~ScreenPort() = default;

  // The visible frame of the main screen (the one with the keyboard focus), without the menu
  // bar, the Dock or desktop panels, in screen points with the origin at the lower left of the
  // primary screen; none when no screen is attached.
  virtual std::optional<Rect> mainScreenVisibleFrame() const = 0;
};

}  // namespace tavrine
