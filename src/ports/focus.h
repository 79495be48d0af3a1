// SPDX-License-Identifier: MIT
// The focus port: which window of another application has the keyboard, and giving it back
// after a pinned overlay held it.
#pragma once

#include <cstdint>

namespace tavrine {

class FocusPort {
 public:
  // A window of the window system; 0 stands for none.
  using WindowHandle = std::uint64_t;

  virtual ~FocusPort() = default;
  // The top-level window that has the keyboard now, or 0.
  virtual WindowHandle focusedWindow() const = 0;
  // Gives the keyboard back to `window` (from focusedWindow()) and waits until the window system
  // has taken the request; false when it could not (the window has gone, or 0).
  virtual bool giveFocusTo(WindowHandle window) = 0;
};

}  // namespace tavrine
