// SPDX-License-Identifier: MIT
// The focus port on X11: the window that has the keyboard (EWMH's active window, else the input
// focus), and giving it back through the window manager, or directly without one.
#pragma once

#include <memory>
#include <string>

#include "ports/focus.h"

namespace tavrine::x11 {

class X11Display;

class X11Focus final : public FocusPort {
 public:
  // A connection of its own to `displayName` (empty: $DISPLAY); without an X server there is
  // no window to tell or give back.
  explicit X11Focus(const std::string& displayName = {});
  ~X11Focus() override;
  X11Focus(const X11Focus&) = delete;
  X11Focus& operator=(const X11Focus&) = delete;

  WindowHandle focusedWindow() const override;
  // Asks the window manager to activate the window (as a pager would, so that focus-stealing
  // prevention lets it through) and sets the input focus on it; false when the window is no
  // longer on screen.
  bool giveFocusTo(WindowHandle window) override;

 private:
  std::unique_ptr<X11Display> display_;
};

}  // namespace tavrine::x11
