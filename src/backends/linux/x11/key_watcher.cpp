// SPDX-License-Identifier: MIT
#include "backends/linux/x11/key_watcher.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <bitset>
#include <utility>

#include "backends/linux/x11/display.h"
#include "backends/linux/x11/modifiers.h"

namespace tavrine::x11 {

struct X11KeyWatcher::Impl {
  std::string displayName;
  std::unique_ptr<X11Display> display;
  int xiOpcode = -1;
  Atom activeWindow = None;
  ModifierTracker tracker;
  // Pointer buttons held (wheel steps go down and up at once).
  std::bitset<256> buttons;
  Handlers handlers;

  bool open();
  void loadModifierMap();
  void seed();
  void handle(XEvent& event);
};

bool X11KeyWatcher::Impl::open() {
  auto connection =
      std::make_unique<X11Display>(displayName.empty() ? nullptr : displayName.c_str());
  if (!connection->isOpen()) return false;
  Display* dpy = connection->get();

  int firstEvent = 0;
  int firstError = 0;
  if (!XQueryExtension(dpy, "XInputExtension", &xiOpcode, &firstEvent, &firstError)) return false;
  // Raw events reach a client without a grab from version 2.1 on; announce what we speak.
  int major = 2;
  int minor = 2;
  if (XIQueryVersion(dpy, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1)) {
    return false;
  }

  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_RawKeyPress);
  XISetMask(bits, XI_RawKeyRelease);
  // A click, a wheel step or a drag under Ctrl is Ctrl+something (zoom, copy), never a hold.
  XISetMask(bits, XI_RawButtonPress);
  XISetMask(bits, XI_RawButtonRelease);
  XIEventMask mask;
  // Master devices only: each key then arrives once, whichever keyboard (or XTEST) sent it.
  mask.deviceid = XIAllMasterDevices;
  mask.mask_len = sizeof(bits);
  mask.mask = bits;
  XISelectEvents(dpy, connection->root(), &mask, 1);
  // The window manager names the window with the keyboard on the root window.
  XSelectInput(dpy, connection->root(), PropertyChangeMask);
  activeWindow = connection->atom("_NET_ACTIVE_WINDOW");
  if (!connection->syncSucceeded()) return false;

  display = std::move(connection);
  loadModifierMap();
  seed();
  return true;
}

void X11KeyWatcher::Impl::loadModifierMap() {
  ModifierMap map{};
  if (XModifierKeymap* keymap = XGetModifierMapping(display->get())) {
    for (int modifier = 0; modifier < 8; ++modifier) {
      for (int i = 0; i < keymap->max_keypermod; ++i) {
        const KeyCode keycode = keymap->modifiermap[modifier * keymap->max_keypermod + i];
        if (keycode != 0) map[keycode] |= static_cast<std::uint8_t>(1U << modifier);
      }
    }
    XFreeModifiermap(keymap);
  }
  tracker.setModifierMap(map);
}

void X11KeyWatcher::Impl::seed() {
  // Events selected before this query may replay some of it; presses and releases of a key
  // already in that state change nothing.
  char keys[32] = {};
  XQueryKeymap(display->get(), keys);
  std::bitset<256> down;
  for (unsigned keycode = 0; keycode < 256; ++keycode) {
    if ((static_cast<unsigned char>(keys[keycode / 8]) >> (keycode % 8)) & 1U) down.set(keycode);
  }
  XkbStateRec state{};
  const unsigned locked =
      XkbGetState(display->get(), XkbUseCoreKbd, &state) == Success ? state.locked_mods : 0U;
  tracker.seed(down, locked);
  buttons.reset();
  Window root = None, child = None;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned mask = 0;
  if (XQueryPointer(display->get(), display->root(), &root, &child, &rootX, &rootY, &x, &y,
                    &mask)) {
    for (unsigned button = 1; button <= 5; ++button)
      if (mask & (Button1Mask << (button - 1))) buttons.set(button);
  }
}

void X11KeyWatcher::Impl::handle(XEvent& event) {
  if (event.type == MappingNotify) {
    XRefreshKeyboardMapping(&event.xmapping);
    if (event.xmapping.request == MappingModifier || event.xmapping.request == MappingKeyboard) {
      loadModifierMap();
    }
    return;
  }
  if (event.type == PropertyNotify) {
    if (event.xproperty.atom == activeWindow && handlers.frontChanged) handlers.frontChanged();
    return;
  }
  XGenericEventCookie& cookie = event.xcookie;
  if (cookie.type != GenericEvent || cookie.extension != xiOpcode) return;
  if (!XGetEventData(display->get(), &cookie)) return;
  const int type = cookie.evtype;
  // The keycode, or the button.
  const unsigned detail =
      static_cast<unsigned>(static_cast<const XIRawEvent*>(cookie.data)->detail);
  XFreeEventData(display->get(), &cookie);

  ModifierTracker::Outcome outcome;
  if (type == XI_RawButtonPress || type == XI_RawButtonRelease) {
    if (detail >= buttons.size()) return;
    buttons.set(detail, type == XI_RawButtonPress);
    if (type == XI_RawButtonPress && handlers.keyDown) handlers.keyDown(tracker.flags());
    return;
  }
  if (type == XI_RawKeyPress) {
    outcome = tracker.press(detail);
  } else if (type == XI_RawKeyRelease) {
    outcome = tracker.release(detail);
  }
  switch (outcome.kind) {
    case ModifierTracker::Kind::flagsChanged:
      if (handlers.flagsChanged) handlers.flagsChanged(outcome.flags);
      // Ctrl pressed during a drag (to copy) starts no hold: the button held counts as a key.
      if (buttons.any() && handlers.keyDown) handlers.keyDown(outcome.flags);
      break;
    case ModifierTracker::Kind::keyDown:
      if (handlers.keyDown) handlers.keyDown(outcome.flags);
      break;
    case ModifierTracker::Kind::none:
      break;
  }
}

X11KeyWatcher::X11KeyWatcher(std::string displayName) : impl_(std::make_unique<Impl>()) {
  impl_->displayName = std::move(displayName);
}

X11KeyWatcher::~X11KeyWatcher() = default;

bool X11KeyWatcher::start(Handlers handlers) {
  if (impl_->display) return true;
  if (!impl_->open()) return false;
  impl_->handlers = std::move(handlers);
  return true;
}

bool X11KeyWatcher::isStarted() const {
  return impl_->display != nullptr;
}

int X11KeyWatcher::fileDescriptor() const {
  return impl_->display ? XConnectionNumber(impl_->display->get()) : -1;
}

void X11KeyWatcher::dispatchPending() {
  if (!impl_->display) return;
  Display* dpy = impl_->display->get();
  // XPending reads whatever the socket holds without blocking; events Xlib queued during an
  // earlier request are counted too.
  while (XPending(dpy) > 0) {
    XEvent event;
    XNextEvent(dpy, &event);
    impl_->handle(event);
  }
}

modifier::Flags X11KeyWatcher::flags() const {
  return impl_->tracker.flags();
}

}  // namespace tavrine::x11
