// SPDX-License-Identifier: MIT
#include "backends/linux/dbus/session_bus.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <utility>

#include "backends/linux/dbus/bus_connection.h"

namespace tavrine::dbus {

SessionBus::SessionBus(std::string address) : address_(std::move(address)) {}

SessionBus::~SessionBus() {
  // What was queued (an answer, a released name) goes out before the connection closes.
  if (bus_) sd_bus_flush(bus_.get());
}

sd_bus* SessionBus::connection() {
  if (bus_ && sd_bus_is_open(bus_.get()) > 0) return bus_.get();
  if (bus_) {
    tell(nullptr);
    bus_.reset();
  }
  const auto now = std::chrono::steady_clock::now();
  if (now < silentUntil_) return nullptr;
  bus_ = openBusWithin(address_.empty() ? userBusAddress() : address_, kCallTimeoutMicroseconds);
  if (bus_) {
    tell(bus_.get());
  } else if (std::chrono::steady_clock::now() - now >=
             std::chrono::microseconds(kCallTimeoutMicroseconds)) {
    silentUntil_ = std::chrono::steady_clock::now() + kRetryAfterSilence;
  }
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

void SessionBus::watchConnections(const void* owner, ConnectionHandler handler) {
  handlers_.emplace_back(owner, std::move(handler));
}

void SessionBus::forget(const void* owner) {
  std::erase_if(handlers_, [owner](const auto& entry) { return entry.first == owner; });
}

void SessionBus::tell(sd_bus* connection) {
  // A handler may watch or forget; it is told from a copy.
  const auto handlers = handlers_;
  for (const auto& [owner, handler] : handlers)
    handler(connection);
}

}  // namespace tavrine::dbus
