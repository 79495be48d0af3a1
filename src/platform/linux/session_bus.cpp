// SPDX-License-Identifier: MIT
#include "platform/linux/session_bus.h"

#include <systemd/sd-bus.h>

#include <utility>

namespace tavrine::dbus {

SessionBus::SessionBus(std::string address) : address_(std::move(address)) {}

SessionBus::~SessionBus() {
  if (bus_ != nullptr) sd_bus_flush_close_unref(bus_);
}

sd_bus* SessionBus::connection() {
  if (bus_ != nullptr && sd_bus_is_open(bus_) > 0) return bus_;
  if (bus_ != nullptr) bus_ = sd_bus_close_unref(bus_);

  sd_bus* bus = nullptr;
  int result = 0;
  if (address_.empty()) {
    result = sd_bus_open_user(&bus);
  } else {
    result = sd_bus_new(&bus);
    if (result >= 0) result = sd_bus_set_address(bus, address_.c_str());
    if (result >= 0) result = sd_bus_set_bus_client(bus, 1);
    if (result >= 0) result = sd_bus_start(bus);
  }
  if (result < 0) {
    if (bus != nullptr) sd_bus_close_unref(bus);
    return nullptr;
  }
  sd_bus_set_method_call_timeout(bus, kCallTimeoutMicroseconds);
  bus_ = bus;
  return bus_;
}

int SessionBus::fileDescriptor() const {
  return bus_ != nullptr ? sd_bus_get_fd(bus_) : -1;
}

bool SessionBus::isOpen() const {
  return bus_ != nullptr && sd_bus_is_open(bus_) > 0;
}

void SessionBus::processPending() {
  if (bus_ == nullptr) return;
  while (sd_bus_process(bus_, nullptr) > 0) {
  }
}

}  // namespace tavrine::dbus
