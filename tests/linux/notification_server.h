// SPDX-License-Identifier: MIT
// A notification server (org.freedesktop.Notifications) on a test's session bus, on a thread of
// its own: answers each Notify after a delay with ids from 7 on, records the actions offered,
// and sends ActionInvoked when told.
#pragma once

#include <systemd/sd-bus.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/linux/dbus/session_bus.h"

namespace tavrine::doubles {

class NotificationServer {
 public:
  NotificationServer(const std::string& address, std::chrono::milliseconds delay)
      : bus_(address), delay_(delay) {
    ok_ = bus_.connection() != nullptr &&
          sd_bus_request_name(bus_.connection(), "org.freedesktop.Notifications", 0) >= 0 &&
          sd_bus_add_object(bus_.connection(), nullptr, "/org/freedesktop/Notifications",
                            &NotificationServer::onCall, this) >= 0;
    thread_ = std::thread([this] { serve(); });
  }
  ~NotificationServer() {
    serving_ = false;
    thread_.join();
  }
  NotificationServer(const NotificationServer&) = delete;
  NotificationServer& operator=(const NotificationServer&) = delete;

  bool isServing() const { return ok_; }
  std::size_t notified() const { return notified_; }
  std::vector<std::string> actions() const {
    std::lock_guard lock(mutex_);
    return actions_;
  }
  // The user chooses action `key` of notification `id`.
  void invoke(std::uint32_t id, std::string key) {
    std::lock_guard lock(mutex_);
    invoked_.emplace_back(id, std::move(key));
  }

 private:
  using Clock = std::chrono::steady_clock;

  static int onCall(sd_bus_message* m, void* userdata, sd_bus_error*) {
    if (!sd_bus_message_is_method_call(m, "org.freedesktop.Notifications", "Notify")) return 0;
    auto& self = *static_cast<NotificationServer*>(userdata);
    sd_bus_message_skip(m, "susss");
    sd_bus_message_enter_container(m, 'a', "s");
    const char* text = nullptr;
    std::lock_guard lock(self.mutex_);
    while (sd_bus_message_read(m, "s", &text) > 0)
      self.actions_.emplace_back(text);
    self.replies_.emplace_back(sd_bus_message_ref(m), Clock::now() + self.delay_);
    ++self.notified_;
    return 1;
  }

  void serve() {
    std::uint32_t next = 7;
    while (serving_ && ok_) {
      bus_.processPending();
      std::lock_guard lock(mutex_);
      for (auto it = replies_.begin(); it != replies_.end();) {
        if (it->second > Clock::now()) {
          ++it;
          continue;
        }
        sd_bus_reply_method_return(it->first, "u", next++);
        sd_bus_message_unref(it->first);
        it = replies_.erase(it);
      }
      for (const auto& [id, key] : invoked_) {
        sd_bus_emit_signal(bus_.connection(), "/org/freedesktop/Notifications",
                           "org.freedesktop.Notifications", "ActionInvoked", "us", id, key.c_str());
      }
      invoked_.clear();
      sd_bus_flush(bus_.connection());
      sd_bus_wait(bus_.connection(), 5'000);
    }
    for (auto& [message, due] : replies_)
      sd_bus_message_unref(message);
  }

  dbus::SessionBus bus_;
  std::chrono::milliseconds delay_;
  bool ok_ = false;
  std::atomic<bool> serving_ = true;
  std::atomic<std::size_t> notified_ = 0;
  mutable std::mutex mutex_;
  std::vector<std::pair<sd_bus_message*, Clock::time_point>> replies_;
  std::vector<std::pair<std::uint32_t, std::string>> invoked_;
  std::vector<std::string> actions_;
  std::thread thread_;
};

}  // namespace tavrine::doubles
