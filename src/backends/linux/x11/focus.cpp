// SPDX-License-Identifier: MIT
#include "backends/linux/x11/focus.h"

#include <X11/Xatom.h>

#include <optional>
#include <vector>

#include "backends/linux/x11/display.h"

namespace tavrine::x11 {

X11Focus::X11Focus(const std::string& displayName)
    : display_(std::make_unique<X11Display>(displayName.empty() ? nullptr : displayName.c_str())) {}

X11Focus::~X11Focus() = default;

FocusPort::WindowHandle X11Focus::focusedWindow() const {
  if (!display_->isOpen()) return 0;
  const std::optional<std::vector<unsigned long>> active =
      display_->readLongs(display_->root(), display_->atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 1);
  if (active && !active->empty() && active->front() != 0) return active->front();
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_->get(), &focus, &revert);
  // None and PointerRoot name no window; nor does the window manager's own check window, where
  // openbox parks the focus when the desktop is clicked.
  if (focus <= PointerRoot) return 0;
  const std::optional<std::vector<unsigned long>> wm = display_->readLongs(
      display_->root(), display_->atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW, 1);
  return wm && !wm->empty() && wm->front() == focus ? 0 : focus;
}

bool X11Focus::giveFocusTo(WindowHandle window) {
  if (!display_->isOpen() || window == 0) return false;
  Display* d = display_->get();
  XWindowAttributes attributes;
  if (XGetWindowAttributes(d, window, &attributes) == 0 || !display_->syncSucceeded() ||
      attributes.map_state != IsViewable) {
    return false;
  }
  const Window root = display_->root();
  if (display_->hasProperty(root, display_->atom("_NET_SUPPORTING_WM_CHECK"))) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = display_->atom("_NET_ACTIVE_WINDOW");
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // from a pager: the user asked for it
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  }
  XSetInputFocus(d, window, RevertToParent, CurrentTime);
  return display_->syncSucceeded();
}

}  // namespace tavrine::x11
