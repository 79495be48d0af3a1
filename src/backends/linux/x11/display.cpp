// SPDX-License-Identifier: MIT
#include "backends/linux/x11/display.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace tavrine::x11 {
namespace {

// Our connections and their error counters. Xlib has one error handler per process; errors on
// connections that are not ours go to whichever handler was there before. Main thread only.
std::vector<std::pair<Display*, unsigned long*>>& ownConnections() {
  static std::vector<std::pair<Display*, unsigned long*>> connections;
  return connections;
}
XErrorHandler previousHandler = nullptr;

int countError(Display* display, XErrorEvent* event) {
  for (auto& [own, counter] : ownConnections()) {
    if (own == display) {
      ++*counter;
      return 0;
    }
  }
  return previousHandler != nullptr ? previousHandler(display, event) : 0;
}

// Installed again before each request whose failure matters: a toolkit opened later may have
// put its own handler in place.
void installErrorHandler() {
  const XErrorHandler previous = XSetErrorHandler(countError);
  if (previous != countError) previousHandler = previous;
}

struct PropertyData {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned char* data = nullptr;
  ~PropertyData() {
    if (data != nullptr) XFree(data);
  }
};

// Reads up to `maxUnits` 32-bit units of a property; false when the request failed.
bool readProperty(Display* display, Window window, Atom property, Atom type, long maxUnits,
                  PropertyData& out) {
  if (display == nullptr || window == 0) return false;
  installErrorHandler();
  unsigned long bytesAfter = 0;
  const int status = XGetWindowProperty(display, window, property, 0, maxUnits, False, type,
                                        &out.type, &out.format, &out.count, &bytesAfter, &out.data);
  return status == Success && out.type != 0 && (type == AnyPropertyType || out.type == type);
}

}  // namespace

X11Display::X11Display(const char* name) : display_(XOpenDisplay(name)) {
  if (display_ == nullptr) return;
  installErrorHandler();
  ownConnections().emplace_back(display_, &errors_);
}

X11Display::~X11Display() {
  if (display_ == nullptr) return;
  auto& connections = ownConnections();
  connections.erase(std::remove_if(connections.begin(), connections.end(),
                                   [this](const auto& entry) { return entry.first == display_; }),
                    connections.end());
  XCloseDisplay(display_);
}

Window X11Display::root() const {
  return display_ != nullptr ? XDefaultRootWindow(display_) : 0;
}

Atom X11Display::atom(const char* name) const {
  // Xlib keeps atoms it has seen, so repeated names cost no round trip.
  return display_ != nullptr ? XInternAtom(display_, name, False) : 0;
}

bool X11Display::syncSucceeded() {
  if (display_ == nullptr) return false;
  installErrorHandler();
  const unsigned long before = errors_;
  XSync(display_, False);
  return errors_ == before;
}

std::optional<std::vector<unsigned long>> X11Display::readLongs(Window window, Atom property,
                                                                Atom type, long maxItems) const {
  PropertyData property32;
  if (!readProperty(display_, window, property, type, maxItems, property32) ||
      property32.format != 32) {
    return std::nullopt;
  }
  const auto* items = reinterpret_cast<const unsigned long*>(property32.data);
  const unsigned long count = std::min<unsigned long>(property32.count, maxItems);
  return std::vector<unsigned long>(items, items + count);
}

std::optional<std::string> X11Display::readBytes(Window window, Atom property, Atom type,
                                                 long maxBytes) const {
  PropertyData property8;
  if (!readProperty(display_, window, property, type, (maxBytes + 3) / 4, property8) ||
      property8.format != 8) {
    return std::nullopt;
  }
  const unsigned long count = std::min<unsigned long>(property8.count, maxBytes);
  return std::string(reinterpret_cast<const char*>(property8.data), count);
}

bool X11Display::hasProperty(Window window, Atom property) const {
  PropertyData any;
  return readProperty(display_, window, property, AnyPropertyType, 0, any);
}

}  // namespace tavrine::x11
