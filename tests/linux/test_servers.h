// SPDX-License-Identifier: MIT
// An X server (Xvfb) and a session bus (dbus-daemon) started by the tests themselves, each in a
// temporary directory of its own, and stopped with every process they started.
#pragma once

#include <sys/types.h>

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

 private:
  pid_t pid_ = -1;
};

// A fresh directory under $TMPDIR (mode 0700), removed with its content at exit.
std::string makeTemporaryDirectory();

// Starts a session bus (dbus-daemon) of its own in `daemon`, in a fresh directory: its address,
// empty when dbus-daemon is missing. Without DISPLAY, the accessibility bus launcher it activates
// leaves the root window alone; its settings live in memory, not in the user's.
std::string startSessionBus(ServerProcess& daemon);

// The address of a session bus as above, shared by the test program and started on first use.
const std::string& sessionBusAddress();

}  // namespace tavrine::doubles
