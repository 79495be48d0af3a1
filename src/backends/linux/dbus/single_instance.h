// SPDX-License-Identifier: MIT
// One program per session: a well-known name on the session bus, or, without a session bus, an
// exclusive lock on a file per display.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "backends/linux/dbus/session_bus.h"

namespace tavrine::dbus {

class SingleInstance {
 public:
  enum class Claim {
    first,           // this process holds the name (or the lock) now, for as long as it runs
    alreadyRunning,  // another process holds it
  };

  SingleInstance() = default;
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Asks the bus for `busName`, without queueing for it. Without a session bus (or when the bus
  // does not answer) takes the lock on `lockPath` instead (never through a symbolic link). When
  // neither can be had at all the program runs: a lost guard must not keep it from starting.
  // Holding the name, it asks for it again on every new connection to `bus`, which must outlive
  // this.
  Claim claim(SessionBus& bus, const std::string& busName, const std::string& lockPath);

  // Runs when the name could not be had again on a new connection: another process took it
  // while the bus was away.
  void onLost(std::function<void()> handler) { onLost_ = std::move(handler); }

  // $XDG_RUNTIME_DIR/<stem>-<display>.lock, else the same under /tmp with the user id, the
  // display's name reduced to characters safe in a file name.
  static std::string lockPathFor(const std::string& stem, const std::string& display);

 private:
  void holdName(SessionBus& bus, const std::string& busName);

  int lockFd_ = -1;
  SessionBus* bus_ = nullptr;
  std::function<void()> onLost_;
};

}  // namespace tavrine::dbus
