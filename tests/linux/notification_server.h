// SPDX-License-Identifier: MIT
// A notification server on a thread: answers Notify late (ids from 7), sends ActionInvoked.
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

#include "backends/linux/dbus/session_bus.h"

namespace tavrine::doubles {

class NotificationServer {
 public:
  NotificationServer(const std::string& address, std::chrono::milliseconds delay)
      : bus_(address), delay_(delay) {
    sd_bus* bus = bus_.connection();
    ok_ = bus != nullptr && sd_bus_request_name(bus, "org.freedesktop.Notifications", 0) >= 0 &&
          sd_bus_add_object(bus, nullptr, "/org/freedesktop/Notifications", &onCall, this) >= 0;
    thread_ = std::thread([this] {
      while (running_ && ok_) {
        serve();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  }
  ~NotificationServer() {
    running_ = false;
    thread_.join();
    for (const auto& reply : replies_)
      sd_bus_message_unref(reply.first);
  }

  std::vector<std::string> actions() {
    std::lock_guard lock(mutex_);
    return actions_;
  }
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
    while (sd_bus_message_read(m, "s", &text) > 0)
      self.actions_.emplace_back(text);
    self.replies_.emplace_back(sd_bus_message_ref(m), Clock::now() + self.delay_);
    return 1;
  }

  void serve() {
    std::lock_guard lock(mutex_);
    bus_.processPending();
    std::erase_if(replies_, [this](const auto& reply) {
      if (reply.second > Clock::now()) return false;
      sd_bus_reply_method_return(reply.first, "u", nextId_++);
      sd_bus_message_unref(reply.first);
      return true;
    });
    for (const auto& [id, key] : invoked_) {
      sd_bus_emit_signal(bus_.connection(), "/org/freedesktop/Notifications",
                         "org.freedesktop.Notifications", "ActionInvoked", "us", id, key.c_str());
    }
    invoked_.clear();
    sd_bus_flush(bus_.connection());
  }

  dbus::SessionBus bus_;
  std::chrono::milliseconds delay_;
  bool ok_ = false;
  std::atomic<bool> running_ = true;
  std::mutex mutex_;
  std::uint32_t nextId_ = 7;
  std::vector<std::pair<sd_bus_message*, Clock::time_point>> replies_;
  std::vector<std::pair<std::uint32_t, std::string>> invoked_;
  std::vector<std::string> actions_;
  std::thread thread_;
};

}  // namespace tavrine::doubles
