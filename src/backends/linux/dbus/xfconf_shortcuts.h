// SPDX-License-Identifier: MIT
// Xfce's keyboard shortcuts from xfconf on the session bus (org.xfce.Xfconf): the
// xfce4-keyboard-shortcuts channel read whole, and read again whenever xfconf says one of its
// properties changed or went.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "backends/linux/dbus/sd_bus_ptr.h"
#include "backends/linux/dbus/session_bus.h"
#include "sources/desktop/desktop_shortcuts.h"

namespace tavrine::dbus {

class XfconfShortcuts {
 public:
  static constexpr const char* kName = "org.xfce.Xfconf";
  static constexpr const char* kPath = "/org/xfce/Xfconf";
  static constexpr const char* kInterface = "org.xfce.Xfconf";
  using Handler = std::function<void(const std::vector<DesktopBinding>&)>;

  // Follows the channel on `bus`, which must outlive this; `changed` hears every set read after
  // a change (while the bus's messages are processed).
  XfconfShortcuts(SessionBus& bus, Handler changed);
  ~XfconfShortcuts();
  XfconfShortcuts(const XfconfShortcuts&) = delete;
  XfconfShortcuts& operator=(const XfconfShortcuts&) = delete;

  // The bound keys now; none when xfconf did not answer.
  std::optional<std::vector<DesktopBinding>> read();

 private:
  static int onSignal(sd_bus_message* m, void* self, sd_bus_error* error);
  void watch(sd_bus* connection);

  SessionBus& bus_;
  Handler changed_;
  SlotPtr signals_;
};

}  // namespace tavrine::dbus
