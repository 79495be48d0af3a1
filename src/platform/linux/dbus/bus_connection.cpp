// SPDX-License-Identifier: MIT
#include "platform/linux/dbus/bus_connection.h"

#include <cstdlib>

namespace tavrine::dbus {

bool isSafeBusAddress(std::string_view address) {
  return (address.starts_with("unix:path=") || address.starts_with("unix:abstract=")) &&
         address.find(';') == std::string_view::npos;
}

BusPtr connectToAddress(const std::string& address, bool busClient) {
  if (!isSafeBusAddress(address)) return {};
  sd_bus* raw = nullptr;
  if (sd_bus_new(&raw) < 0) return {};
  BusPtr bus(raw);
  // Descriptors another process passes would be ours to close, and count against our limit.
  if (sd_bus_set_address(raw, address.c_str()) < 0 || sd_bus_set_bus_client(raw, busClient) < 0 ||
      sd_bus_negotiate_fds(raw, 0) < 0 || sd_bus_start(raw) < 0) {
    return {};
  }
  return bus;
}

std::string launcherBusAddress(sd_bus* session, std::uint64_t timeoutUsec) {
  sd_bus_message* raw = nullptr;
  if (sd_bus_message_new_method_call(session, &raw, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                     "GetAddress") < 0) {
    return {};
  }
  const MessagePtr call(raw);
  raw = nullptr;
  if (sd_bus_call(session, call.get(), timeoutUsec, nullptr, &raw) < 0) return {};
  const MessagePtr reply(raw);
  const char* address = nullptr;
  if (sd_bus_message_read(reply.get(), "s", &address) < 0 || address == nullptr) return {};
  return address;
}

std::string accessibilityBusAddress(std::uint64_t timeoutUsec) {
  if (const char* env = std::getenv("AT_SPI_BUS_ADDRESS"); env != nullptr && *env != '\0') {
    return env;
  }
  sd_bus* raw = nullptr;
  if (sd_bus_open_user(&raw) < 0) return {};
  const BusPtr session(raw);
  return launcherBusAddress(session.get(), timeoutUsec);
}

}  // namespace tavrine::dbus
