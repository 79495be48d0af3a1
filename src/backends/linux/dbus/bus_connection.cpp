// SPDX-License-Identifier: MIT
#include "backends/linux/dbus/bus_connection.h"

#include <poll.h>
#include <time.h>

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

int keepConnectionOnMatchInstall(sd_bus_message* /*reply*/, void* /*userdata*/,
                                 sd_bus_error* /*error*/) {
  return 0;
}

std::string userBusAddress() {
  if (const char* env = std::getenv("DBUS_SESSION_BUS_ADDRESS"); env != nullptr && *env != '\0') {
    return env;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime != '/') return {};
  return std::string("unix:path=") + runtime + "/bus";
}

namespace {

std::uint64_t monotonicUsec() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000U +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000U;
}

}  // namespace

BusPtr openBusWithin(const std::string& address, std::uint64_t timeoutUsec) {
  if (address.empty()) return {};
  sd_bus* raw = nullptr;
  if (sd_bus_new(&raw) < 0) return {};
  BusPtr bus(raw);
  if (sd_bus_set_address(raw, address.c_str()) < 0 || sd_bus_set_bus_client(raw, 1) < 0 ||
      sd_bus_set_method_call_timeout(raw, timeoutUsec) < 0 || sd_bus_start(raw) < 0) {
    return {};
  }
  // sd-bus bounds the authentication by a fixed 90 s of its own, which the method call timeout
  // does not shorten: wait for the handshake (up to the Hello reply) under our own deadline.
  const std::uint64_t deadline = monotonicUsec() + timeoutUsec;
  while (sd_bus_is_ready(raw) <= 0) {
    const int processed = sd_bus_process(raw, nullptr);
    if (processed < 0) return {};
    if (processed > 0) continue;
    const std::uint64_t now = monotonicUsec();
    if (now >= deadline || sd_bus_wait(raw, deadline - now) < 0) return {};
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
  const BusPtr session = openBusWithin(userBusAddress(), timeoutUsec);
  return session ? launcherBusAddress(session.get(), timeoutUsec) : std::string();
}

}  // namespace tavrine::dbus
