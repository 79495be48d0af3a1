// SPDX-License-Identifier: MIT
#include "x_fixture.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "platform/linux/x11_display.h"

namespace tavrine::doubles {

struct XFixture::Impl {
  x11::X11Display display;
};

XFixture::XFixture() : impl_(std::make_unique<Impl>()) {}
XFixture::~XFixture() = default;

bool XFixture::isOpen() const {
  return impl_->display.isOpen();
}

std::uint64_t XFixture::root() const {
  return impl_->display.root();
}

void XFixture::key(const char* keysym, bool press) {
  Display* dpy = impl_->display.get();
  const KeyCode keycode = XKeysymToKeycode(dpy, XStringToKeysym(keysym));
  XTestFakeKeyEvent(dpy, keycode, press ? True : False, CurrentTime);
  XSync(dpy, False);
}

unsigned XFixture::serverModifiers() const {
  XkbStateRec state{};
  XkbGetState(impl_->display.get(), XkbUseCoreKbd, &state);
  return state.mods;
}

std::uint64_t XFixture::createWindow(int x, int y, int width, int height, std::uint64_t parent) {
  Display* dpy = impl_->display.get();
  const Window window =
      XCreateSimpleWindow(dpy, parent != 0 ? parent : impl_->display.root(), x, y,
                          static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0, 0);
  XMapWindow(dpy, window);
  XSync(dpy, False);
  return window;
}

void XFixture::destroyWindow(std::uint64_t window) {
  XDestroyWindow(impl_->display.get(), window);
  sync();
}

void XFixture::focus(std::uint64_t window) {
  XSetInputFocus(impl_->display.get(), window, RevertToParent, CurrentTime);
  sync();
}

void XFixture::setLongs(std::uint64_t window, const char* property, const char* type,
                        const std::vector<unsigned long>& items) {
  XChangeProperty(impl_->display.get(), window, impl_->display.atom(property),
                  impl_->display.atom(type), 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(items.data()),
                  static_cast<int>(items.size()));
  sync();
}

void XFixture::setBytes(std::uint64_t window, const char* property, const char* type,
                        const std::string& bytes) {
  XChangeProperty(impl_->display.get(), window, impl_->display.atom(property),
                  impl_->display.atom(type), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<int>(bytes.size()));
  sync();
}

void XFixture::deleteProperty(std::uint64_t window, const char* property) {
  XDeleteProperty(impl_->display.get(), window, impl_->display.atom(property));
  sync();
}

std::vector<unsigned long> XFixture::longs(std::uint64_t window, const char* property) const {
  return impl_->display.readLongs(window, impl_->display.atom(property), AnyPropertyType, 1024)
      .value_or(std::vector<unsigned long>{});
}

void XFixture::ownSelection(const char* selection, std::uint64_t window) {
  XSetSelectionOwner(impl_->display.get(), impl_->display.atom(selection), window, CurrentTime);
  sync();
}

void XFixture::sync() {
  impl_->display.syncSucceeded();
}

}  // namespace tavrine::doubles
