// SPDX-License-Identifier: MIT
// The connection to the session bus (sd-bus), opened on first use, with every method call bounded
// by a short timeout: the program never waits long on another process.
#pragma once

#include <cstdint>
#include <string>

#include "platform/linux/dbus/sd_bus_ptr.h"

namespace tavrine::dbus {

class SessionBus {
 public:
  static constexpr std::uint64_t kCallTimeoutMicroseconds = 200'000;

  // `address` empty: the user's session bus ($DBUS_SESSION_BUS_ADDRESS, else
  // $XDG_RUNTIME_DIR/bus).
  explicit SessionBus(std::string address = {});
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // The connection, opened (or opened again after it dropped) on demand; null without a bus.
  sd_bus* connection();
  // Its descriptor, -1 when not connected: readable when messages may be waiting, and for good
  // once the bus has gone (stop watching it when isOpen turns false).
  int fileDescriptor() const;
  bool isOpen() const;
  // Handles whatever has arrived (calls to objects we do not export are answered with an
  // error, so callers never wait on us); never waits. Call it when the descriptor is readable
  // and after each method call, which may have read other messages in passing.
  void processPending();

 private:
  std::string address_;
  BusPtr bus_;
};

}  // namespace tavrine::dbus
