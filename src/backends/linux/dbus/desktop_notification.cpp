// SPDX-License-Identifier: MIT
#include "backends/linux/dbus/desktop_notification.h"

#include "backends/linux/dbus/bus_connection.h"

#include <systemd/sd-bus.h>

#include <utility>

namespace tavrine::dbus {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";

}  // namespace

// A click counts only from the server: an action may run a program.
int DesktopNotifications::onActionInvoked(sd_bus_message* m, void* userdata,
                                          sd_bus_error* /*error*/) {
  auto& self = *static_cast<DesktopNotifications*>(userdata);
  std::uint32_t id = 0;
  const char* key = nullptr;
  if (self.server_.sent(m) && sd_bus_message_read(m, "us", &id, &key) > 0 && key != nullptr) {
    self.actionInvoked(id, key);
  }
  return 0;
}

DesktopNotifications::DesktopNotifications(SessionBus& bus) : bus_(bus) {
  bus_.watchConnections(this, [this](sd_bus*) {
    // The match, the calls and the ids were the old connection's and its server's.
    match_.reset();
    server_.stop();
    pending_.clear();
    handlers_.clear();
  });
}

DesktopNotifications::~DesktopNotifications() {
  bus_.forget(this);
}

bool DesktopNotifications::notify(const std::string& appName, const std::string& icon,
                                  const std::string& summary, const std::string& body,
                                  const std::vector<Action>& actions, ActionHandler onAction) {
  sd_bus* bus = bus_.connection();
  if (bus == nullptr) return false;
  // Before the call: the user may choose an action before its answer has been read.
  if (!match_ && !actions.empty()) {
    sd_bus_slot* match = nullptr;
    sd_bus_match_signal_async(bus, &match, kService, kPath, kService, "ActionInvoked",
                              &onActionInvoked, &keepConnectionOnMatchInstall, this);
    match_.reset(match);
    server_.follow(bus, kService, {});
  }
  sd_bus_message* raw = nullptr;
  sd_bus_message_new_method_call(bus, &raw, kService, kPath, kService, "Notify");
  const MessagePtr message(raw);
  sd_bus_message* call = message.get();
  bool ok = call != nullptr &&
            sd_bus_message_append(call, "susss", appName.c_str(), 0U, icon.c_str(), summary.c_str(),
                                  body.c_str()) >= 0 &&
            sd_bus_message_open_container(call, 'a', "s") >= 0;
  for (const Action& action : actions) {
    ok = ok && sd_bus_message_append(call, "ss", action.key.c_str(), action.label.c_str()) >= 0;
  }
  // Resident: the notice stays in the list until dealt with, its action usable.
  ok = ok && sd_bus_message_close_container(call) >= 0 &&
       sd_bus_message_append(call, "a{sv}", 1, "resident", "b", 1) >= 0 &&
       sd_bus_message_append(call, "i", 0) >= 0;
  if (!ok) return false;
  auto pending = std::make_unique<Pending>(Pending{this, std::move(onAction), nullptr});
  sd_bus_slot* slot = nullptr;
  if (sd_bus_call_async(bus, &slot, call, &DesktopNotifications::onReply, pending.get(),
                        kReplyTimeoutMicroseconds) < 0) {
    return false;
  }
  pending->call.reset(slot);
  pending_.push_back(std::move(pending));
  return true;
}

int DesktopNotifications::onReply(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  auto* pending = static_cast<Pending*>(userdata);
  DesktopNotifications& self = *pending->owner;
  std::uint32_t id = 0;
  if (!sd_bus_message_is_method_error(m, nullptr) && sd_bus_message_read(m, "u", &id) > 0 &&
      pending->onAction) {
    self.handlers_.emplace_back(id, std::move(pending->onAction));
  }
  // The slot is released with its entry; sd-bus holds it until this returns.
  std::erase_if(self.pending_, [pending](const auto& entry) { return entry.get() == pending; });
  return 0;
}

NoTrayNotice noTrayNotice(bool trusted) {
  NoTrayNotice notice{
      "Tavrine is running",
      "There is no system tray here, so Tavrine's status icon and menu cannot be shown. On GNOME "
      "the \"AppIndicator and KStatusNotifierItem Support\" extension adds one. Holding Ctrl "
      "still shows an application's shortcuts.",
      {}};
  if (!trusted) {
    notice.body += " Tavrine needs accessibility switched on to see keys and menus.";
    notice.actions.push_back({"accessibility", "Turn on accessibility"});
  }
  return notice;
}

ShellExtensionNotice shellExtensionNotice(const std::string& uuid) {
  return {"Tavrine's GNOME Shell extension is off",
          "GNOME's own applications (Text Editor, Files, Calculator) tell Tavrine nothing of their "
          "keys: Tavrine's GNOME Shell extension does. It sends only whether Ctrl is held alone "
          "and which window has the focus. Enable it with the button, or with: "
          "gnome-extensions enable " +
              uuid + " (if GNOME Shell does not know it yet, log out and in first).",
          {{ShellExtensionNotice::kEnable, "Enable the extension"}}};
}

void DesktopNotifications::actionInvoked(std::uint32_t id, const std::string& key) {
  for (const auto& [notification, handler] : handlers_) {
    if (notification == id) {
      const ActionHandler run = handler;  // a handler may notify again
      run(key);
      return;
    }
  }
}

}  // namespace tavrine::dbus
