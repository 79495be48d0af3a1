// SPDX-License-Identifier: MIT
// The connection to the session bus (sd-bus), opened on first use, with connecting and every
// method call bounded by a short timeout: the program never waits long on another process.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "backends/linux/dbus/sd_bus_ptr.h"

namespace tavrine::dbus {

class SessionBus {
 public:
  static constexpr std::uint64_t kCallTimeoutMicroseconds = 200'000;
  // After a bus that did not answer in time, how long before it is tried again: each try costs
  // the main thread the call timeout.
  static constexpr std::chrono::seconds kRetryAfterSilence{5};

  // Told of each connection: null just before one that broke is closed (its descriptor may be
  // reused afterwards), the new connection once it has been opened again.
  using ConnectionHandler = std::function<void(sd_bus* connection)>;

  // `address` empty: the user's session bus ($DBUS_SESSION_BUS_ADDRESS, else
  // $XDG_RUNTIME_DIR/bus).
  explicit SessionBus(std::string address = {});
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // The connection, opened (or opened again after it dropped) on demand; null without a bus, or
  // when it did not complete its handshake within the call timeout (and then for
  // kRetryAfterSilence without trying).
  sd_bus* connection();
  // Its descriptor, -1 when not connected: readable when messages may be waiting, and for good
  // once the bus has gone (stop watching it when isOpen turns false).
  int fileDescriptor() const;
  bool isOpen() const;
  // Handles whatever has arrived (calls to objects we do not export are answered with an
  // error, so callers never wait on us); never waits. Call it when the descriptor is readable
  // and after each method call, which may have read other messages in passing.
  void processPending();

  // `handler` is told of every later connection and loss until forget(owner).
  void watchConnections(const void* owner, ConnectionHandler handler);
  void forget(const void* owner);

 private:
  void tell(sd_bus* connection);

  std::string address_;
  BusPtr bus_;
  std::chrono::steady_clock::time_point silentUntil_{};
  std::vector<std::pair<const void*, ConnectionHandler>> handlers_;
};

}  // namespace tavrine::dbus
