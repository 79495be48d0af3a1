// SPDX-License-Identifier: MIT
// The desktop's light/dark preference as the settings portal (org.freedesktop.portal.Settings on
// the session bus) gives it: read once, then followed through its SettingChanged signal.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "backends/linux/dbus/name_owner.h"
#include "backends/linux/dbus/sd_bus_ptr.h"
#include "backends/linux/dbus/session_bus.h"

namespace tavrine::dbus {

// org.freedesktop.appearance color-scheme, as the portal numbers it.
enum class ColorScheme : std::uint32_t { noPreference = 0, dark = 1, light = 2 };

class AppearancePortal {
 public:
  static constexpr const char* kService = "org.freedesktop.portal.Desktop";
  static constexpr const char* kPath = "/org/freedesktop/portal/desktop";
  static constexpr const char* kInterface = "org.freedesktop.portal.Settings";
  // A portal started on demand answers late; until it does, the caller has its fallback.
  static constexpr std::uint64_t kReadTimeoutMicroseconds = 5'000'000;

  // The portal's preference, or none while no portal has answered (none runs, it has gone, or
  // it does not know the setting). Inside the bus's processing.
  using Changed = std::function<void(std::optional<ColorScheme>)>;

  // `bus` must outlive this; its messages are handled where the program processes the bus.
  explicit AppearancePortal(SessionBus& bus);
  ~AppearancePortal();
  AppearancePortal(const AppearancePortal&) = delete;
  AppearancePortal& operator=(const AppearancePortal&) = delete;

  // Asks the portal, without waiting, and follows it (a new connection, a portal that starts
  // again) until destroyed; `changed` hears every change. False without a session bus.
  bool start(Changed changed);
  std::optional<ColorScheme> scheme() const { return scheme_; }

 private:
  static int onReply(sd_bus_message* m, void* userdata, sd_bus_error* error);
  static int onSignal(sd_bus_message* m, void* userdata, sd_bus_error* error);
  bool watch(sd_bus* bus);
  void read(const char* method);
  void set(std::optional<ColorScheme> scheme);

  SessionBus& bus_;
  Changed changed_;
  NameOwner portal_;
  SlotPtr match_;
  SlotPtr call_;
  bool readOne_ = true;  // false: an older portal, with Read only
  std::optional<ColorScheme> scheme_;
};

}  // namespace tavrine::dbus
