// SPDX-License-Identifier: MIT
// An X server (Xvfb) and a session bus (dbus-daemon) started by the tests themselves, each in a
// temporary directory of its own, and stopped with every process they started.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "bus_peer.h"

namespace tavrine::doubles {

class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess() { stop(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Runs `argv` (found on PATH) in a process group of its own with `env` added to (or, for
  // "NAME", removed from) this environment; the program writes one line, its address, to the
  // descriptor whose number replaces "{fd}" in its arguments. Returns that line, empty when the
  // program is missing, fails or says nothing within 10 s.
  std::string start(std::vector<std::string> argv, const std::vector<std::string>& env,
                    const std::string& logPath);
  // Ends the whole process group.
  void stop();
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// Polls `condition` every 20 ms until it holds (true) or `within` has passed (false).
bool eventually(const std::function<bool()>& condition,
                std::chrono::steady_clock::duration within = std::chrono::seconds(10));

// A fresh directory under $TMPDIR (mode 0700), removed with its content at exit.
std::string makeTemporaryDirectory();

// Starts a session bus (dbus-daemon) of its own in `daemon`, listening at `dir`/bus (by default in
// a fresh directory): its address, empty when dbus-daemon is missing. Without DISPLAY, the
// accessibility bus launcher it activates leaves the root window alone; its settings live in
// memory, not in the user's.
std::string startSessionBus(ServerProcess& daemon,
                            const std::string& dir = makeTemporaryDirectory());

// The address of a session bus as above, shared by the test program and started on first use.
const std::string& sessionBusAddress();

// A bus of its own (dbus-daemon, session limits but `maxRepliesPerConnection` replies awaited per
// connection) with the hostile peer (tests/linux/hostile_peer) on it as the registry, one
// application and an intruder.
class HostileBus {
 public:
  // False when dbus-daemon is missing or the peer did not start.
  bool start(int maxRepliesPerConnection = 50'000);
  const std::string& address() const { return address_; }
  const std::string& application() const { return application_; }  // its unique name
  pid_t pid() const { return pid_; }
  // Calls the peer's control interface (Mode(s), Key(uusb), Activate(b)); false on failure.
  template <class... Args>
  bool control(const char* member, const char* types, Args... args) {
    return control_.call(0, "org.a11y.atspi.Registry", "/io/github/tavrine/HostilePeer",
                         "io.github.tavrine.HostilePeer", member, types, args...) >= 0;
  }

 private:
  ServerProcess daemon_;
  ServerProcess peer_;
  std::string address_;
  std::string application_;
  pid_t pid_ = -1;
  BusPeer control_;
};

}  // namespace tavrine::doubles
