// SPDX-License-Identifier: MIT
// A connection of our own to the X server, whose errors never end the process, with property
// reads bounded in size. Internal to the Linux backend: it brings in Xlib, whose macros (None,
// Bool, KeyPress...) clash with other toolkits' names, so no public header includes it.
#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <vector>

namespace tavrine::x11 {

class X11Display {
 public:
  // `name` null: $DISPLAY. Check isOpen().
  explicit X11Display(const char* name = nullptr);
  ~X11Display();
  X11Display(const X11Display&) = delete;
  X11Display& operator=(const X11Display&) = delete;

  bool isOpen() const { return display_ != nullptr; }
  Display* get() const { return display_; }
  Window root() const;
  Atom atom(const char* name) const;

  // Errors the server reported on this connection so far. A window can vanish between any two
  // requests; every caller treats a failed request as "not there".
  unsigned long errorCount() const { return errors_; }
  // Waits until the server has handled every request sent so far; false when any of them failed.
  bool syncSucceeded();

  // A property in 32-bit items (Xlib hands them over as longs) of `type` (AnyPropertyType:
  // any type), at most `maxItems` of them: none when absent, of another type or format, or on
  // a vanished window. A longer property comes back cut at maxItems.
  std::optional<std::vector<unsigned long>> readLongs(Window window, Atom property, Atom type,
                                                      long maxItems) const;
  // A property in 8-bit items, at most `maxBytes` of them, likewise.
  std::optional<std::string> readBytes(Window window, Atom property, Atom type,
                                       long maxBytes) const;
  bool hasProperty(Window window, Atom property) const;

 private:
  Display* display_ = nullptr;
  unsigned long errors_ = 0;
};

}  // namespace tavrine::x11
