// SPDX-License-Identifier: MIT
#include "test_servers.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

// Set for the targets in tests/linux; others (the benchmarks) start no hostile peer.
#ifndef TAVRINE_HOSTILE_PEER
#define TAVRINE_HOSTILE_PEER "tavrine-hostile-peer"
#endif

namespace tavrine::doubles {

bool eventually(const std::function<bool()>& condition,
                std::chrono::steady_clock::duration within) {
  const auto deadline = std::chrono::steady_clock::now() + within;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::string makeTemporaryDirectory() {
  static struct Directories {
    std::vector<std::string> paths;
    ~Directories() {
      std::error_code ignored;
      for (const auto& path : paths)
        std::filesystem::remove_all(path, ignored);
    }
  } directories;
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tavrine-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return {};
  directories.paths.push_back(pattern);
  return pattern;
}

std::string startSessionBus(ServerProcess& daemon, const std::string& dir) {
  return daemon.start({"dbus-daemon", "--session", "--nofork",
                       "--address=unix:path=" + dir + "/bus", "--print-address={fd}"},
                      {"DISPLAY", "GSETTINGS_BACKEND=memory", "XDG_RUNTIME_DIR=" + dir},
                      dir + "/dbus.log");
}

const std::string& sessionBusAddress() {
  static ServerProcess daemon;
  static const std::string address = startSessionBus(daemon);
  return address;
}

bool HostileBus::start(int maxRepliesPerConnection) {
  const std::string dir = makeTemporaryDirectory();
  std::ofstream(dir + "/bus.conf")
      << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
         " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
         "<busconfig><type>session</type><listen>unix:path="
      << dir << "/bus</listen><auth>EXTERNAL</auth>"
      << "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
         "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
         "<limit name=\"max_incoming_bytes\">1000000000</limit>"
         "<limit name=\"max_outgoing_bytes\">1000000000</limit>"
         "<limit name=\"max_message_size\">1000000000</limit>"
         "<limit name=\"max_replies_per_connection\">"
      << maxRepliesPerConnection << "</limit></busconfig>\n";
  address_ = daemon_.start(
      {"dbus-daemon", "--config-file=" + dir + "/bus.conf", "--nofork", "--print-address={fd}"}, {},
      dir + "/dbus.log");
  if (address_.empty()) return false;
  application_ = peer_.start({TAVRINE_HOSTILE_PEER, address_, "{fd}"}, {}, dir + "/peer.log");
  pid_ = peer_.pid();
  return !application_.empty() && control_.join(address_) == 0;
}

std::string ServerProcess::start(std::vector<std::string> argv, const std::vector<std::string>& env,
                                 const std::string& logPath) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return {};
  for (auto& arg : argv)
    if (const auto at = arg.find("{fd}"); at != std::string::npos)
      arg.replace(at, 4, std::to_string(fds[1]));
  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    fcntl(fds[1], F_SETFD, 0);  // the one descriptor the program inherits
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (log >= 0) {
      dup2(log, 1);
      dup2(log, 2);
    }
    for (const auto& entry : env) {
      if (const auto eq = entry.find('='); eq != std::string::npos) {
        setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 1);
      } else {
        unsetenv(entry.c_str());
      }
    }
    std::vector<char*> args;
    for (auto& arg : argv)
      args.push_back(arg.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  if (pid_ < 0) {
    close(fds[0]);
    return {};
  }
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char c = 0;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    line.push_back(c);
  }
  close(fds[0]);
  if (line.empty()) stop();
  return line;
}

void ServerProcess::stop() {
  if (pid_ <= 0) return;
  kill(-pid_, SIGTERM);
  const bool reaped = eventually([this] { return waitpid(pid_, nullptr, WNOHANG) == pid_; },
                                 std::chrono::seconds(1));
  // Whatever the program started (bus activation) is in its group too.
  kill(-pid_, SIGKILL);
  if (!reaped) waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace tavrine::doubles
