// SPDX-License-Identifier: MIT
// An X server (Xvfb) and a session bus (dbus-daemon) started by the tests themselves, each in a
// temporary directory of its own, and stopped with every process they started.
#pragma once

#include <sys/types.h>

#include <systemd/sd-bus.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

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

// Sends from `from` a signal addressed to `to` alone (empty: to everyone); the bus hands one
// addressed to `to` to every match of `to`'s, whatever sender the match names.
template <class... Args>
void sendSignalTo(sd_bus* from, const std::string& to, const char* path, const char* interface,
                  const char* member, const char* types, Args... args) {
  sd_bus_message* m = nullptr;
  if (sd_bus_message_new_signal(from, &m, path, interface, member) >= 0 &&
      (to.empty() || sd_bus_message_set_destination(m, to.c_str()) >= 0) &&
      sd_bus_message_append(m, types, args...) >= 0) {
    sd_bus_send(from, m, nullptr);
    sd_bus_flush(from);
  }
  sd_bus_message_unref(m);
}

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
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = sd_bus_call_method(
        bus_, "org.a11y.atspi.Registry", "/io/github/tavrine/HostilePeer",
        "io.github.tavrine.HostilePeer", member, &error, nullptr, types, args...);
    sd_bus_error_free(&error);
    return r >= 0;
  }
  ~HostileBus();

 private:
  ServerProcess daemon_;
  ServerProcess peer_;
  std::string address_;
  std::string application_;
  pid_t pid_ = -1;
  sd_bus* bus_ = nullptr;
};

}  // namespace tavrine::doubles
