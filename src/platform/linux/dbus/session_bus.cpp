// SPDX-License-Identifier: MIT
#include "platform/linux/dbus/session_bus.h"

#include <systemd/sd-bus.h>

#include <utility>

namespace tavrine::dbus {

SessionBus::SessionBus(std::string address) : address_(std::move(address)) {}

SessionBus::~SessionBus() {
  // What was queued (an answer, a released name) goes out before the connection closes.
  if (bus_) sd_bus_flush(bus_.get());
}

sd_bus* SessionBus::connection() {
  if (bus_ && sd_bus_is_open(bus_.get()) > 0) return bus_.get();
  bus_.reset();

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
  BusPtr opened(bus);
  if (result < 0) return nullptr;
  sd_bus_set_method_call_timeout(bus, kCallTimeoutMicroseconds);
  bus_ = std::move(opened);
  return bus_.get();
}

int SessionBus::fileDescriptor() const {
  return bus_ ? sd_bus_get_fd(bus_.get()) : -1;
}

bool SessionBus::isOpen() const {
  return bus_ && sd_bus_is_open(bus_.get()) > 0;
}

void SessionBus::processPending() {
  if (!bus_) return;
  while (sd_bus_process(bus_.get(), nullptr) > 0) {
  }
}

}  // namespace tavrine::dbus
