// SPDX-License-Identifier: MIT
// Desktop notifications (org.freedesktop.Notifications on the session bus) with actions: the way
// to reach the user where there is no tray to hold the status icon.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/dbus/sd_bus_ptr.h"
#include "platform/linux/dbus/session_bus.h"

namespace tavrine::dbus {

class DesktopNotifications {
 public:
  struct Action {
    std::string key;
    std::string label;
  };
  // Called with the key of the action the user chose.
  using ActionHandler = std::function<void(const std::string& key)>;

  // `bus` must outlive this; its messages are handled where the program processes the bus.
  explicit DesktopNotifications(SessionBus& bus) : bus_(bus) {}
  DesktopNotifications(const DesktopNotifications&) = delete;
  DesktopNotifications& operator=(const DesktopNotifications&) = delete;

  // Shows a notification from `appName` (with the icon of that name) that stays until the user
  // closes it; `onAction` runs when one of `actions` is chosen. The server's id, or none when no
  // notification server answered.
  std::optional<std::uint32_t> notify(const std::string& appName, const std::string& icon,
                                      const std::string& summary, const std::string& body,
                                      const std::vector<Action>& actions, ActionHandler onAction);

  // Runs the handler of notification `id`, if it has one.
  void actionInvoked(std::uint32_t id, const std::string& key);

 private:
  SessionBus& bus_;
  SlotPtr match_;
  std::vector<std::pair<std::uint32_t, ActionHandler>> handlers_;
};

// What the program says once when the desktop has no tray to hold its status icon: where to get
// one, and, while accessibility is off, the action that turns it on (key "accessibility").
struct NoTrayNotice {
  std::string summary;
  std::string body;
  std::vector<DesktopNotifications::Action> actions;
};
NoTrayNotice noTrayNotice(bool trusted);

// What the program says once when GNOME Shell runs without its extension: how to enable the
// extension `uuid`, and the action that does (key kEnable).
struct ShellExtensionNotice {
  static constexpr const char* kEnable = "enable-extension";
  std::string summary;
  std::string body;
  std::vector<DesktopNotifications::Action> actions;
};
ShellExtensionNotice shellExtensionNotice(const std::string& uuid);

}  // namespace tavrine::dbus
