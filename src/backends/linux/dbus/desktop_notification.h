// SPDX-License-Identifier: MIT
// Desktop notifications (org.freedesktop.Notifications on the session bus) with actions: the way
// to reach the user where there is no tray to hold the status icon.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backends/linux/dbus/name_owner.h"
#include "backends/linux/dbus/sd_bus_ptr.h"
#include "backends/linux/dbus/session_bus.h"

namespace tavrine::dbus {

class DesktopNotifications {
 public:
  struct Action {
    std::string key;
    std::string label;
  };
  // Called with the key of the action the user chose.
  using ActionHandler = std::function<void(const std::string& key)>;

  // How long a notification server may take to answer: one started on demand, or a desktop
  // shell busy at login, answers late, and only the answer names the notification.
  static constexpr std::uint64_t kReplyTimeoutMicroseconds = 60'000'000;

  // `bus` must outlive this; its messages are handled where the program processes the bus.
  explicit DesktopNotifications(SessionBus& bus);
  ~DesktopNotifications();
  DesktopNotifications(const DesktopNotifications&) = delete;
  DesktopNotifications& operator=(const DesktopNotifications&) = delete;

  // Shows a notification from `appName` (with the icon of that name) that stays until the user
  // closes it; `onAction` runs when one of `actions` is chosen. Never waits for the server: its
  // answer, which names the notification, is handled with the bus's other messages. False when
  // there is no session bus to send it on.
  bool notify(const std::string& appName, const std::string& icon, const std::string& summary,
              const std::string& body, const std::vector<Action>& actions, ActionHandler onAction);

  // Runs the handler of notification `id`, if it has one.
  void actionInvoked(std::uint32_t id, const std::string& key);

 private:
  struct Pending {
    DesktopNotifications* owner;
    ActionHandler onAction;
    SlotPtr call;
  };
  static int onReply(sd_bus_message* m, void* userdata, sd_bus_error* error);
  static int onActionInvoked(sd_bus_message* m, void* userdata, sd_bus_error* error);

  SessionBus& bus_;
  SlotPtr match_;
  NameOwner server_;  // who owns org.freedesktop.Notifications
  std::vector<std::unique_ptr<Pending>> pending_;
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
