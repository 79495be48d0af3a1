// SPDX-License-Identifier: MIT
#include "x_fixture.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include "backends/linux/x11/display.h"

namespace tavrine::doubles {

XFixture::XFixture() : display_(std::make_unique<x11::X11Display>()) {}
XFixture::~XFixture() = default;

bool XFixture::isOpen() const {
  return display_->isOpen();
}

std::uint64_t XFixture::root() const {
  return display_->root();
}

void XFixture::key(const char* keysym, bool press) {
  Display* dpy = display_->get();
  XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XStringToKeysym(keysym)), press, CurrentTime);
  XSync(dpy, False);
}

void XFixture::button(unsigned button, bool press) {
  XTestFakeButtonEvent(display_->get(), button, press, CurrentTime);
  XSync(display_->get(), False);
}

std::uint64_t XFixture::createWindow(int x, int y, int width, int height, std::uint64_t parent) {
  const Window window =
      XCreateSimpleWindow(display_->get(), parent != 0 ? parent : display_->root(), x, y,
                          static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0, 0);
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  setBytes(window, "WM_CLIENT_MACHINE", "STRING", host);  // made on this machine
  XMapWindow(display_->get(), window);
  display_->syncSucceeded();
  return window;
}

void XFixture::destroyWindow(std::uint64_t window) {
  XDestroyWindow(display_->get(), window);
  display_->syncSucceeded();
}

void XFixture::focus(std::uint64_t window) {
  XSetInputFocus(display_->get(), window, RevertToParent, CurrentTime);
  display_->syncSucceeded();
}

void XFixture::setLongs(std::uint64_t window, const char* property, const char* type,
                        const std::vector<unsigned long>& items) {
  XChangeProperty(display_->get(), window, display_->atom(property), display_->atom(type), 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(items.data()),
                  static_cast<int>(items.size()));
  display_->syncSucceeded();
}

void XFixture::setBytes(std::uint64_t window, const char* property, const char* type,
                        const std::string& bytes) {
  XChangeProperty(display_->get(), window, display_->atom(property), display_->atom(type), 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<int>(bytes.size()));
  display_->syncSucceeded();
}

void XFixture::deleteProperty(std::uint64_t window, const char* property) {
  XDeleteProperty(display_->get(), window, display_->atom(property));
  display_->syncSucceeded();
}

std::vector<unsigned long> XFixture::longs(std::uint64_t window, const char* property) const {
  return display_->readLongs(window, display_->atom(property), AnyPropertyType, 1024)
      .value_or(std::vector<unsigned long>{});
}

void XFixture::ownSelection(const char* selection, std::uint64_t window) {
  XSetSelectionOwner(display_->get(), display_->atom(selection), window, CurrentTime);
  display_->syncSucceeded();
}

}  // namespace tavrine::doubles
