// SPDX-License-Identifier: MIT
#include "backends/linux/dbus/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tavrine::dbus {

SingleInstance::~SingleInstance() {
  if (bus_ != nullptr) bus_->forget(this);
  if (lockFd_ >= 0) close(lockFd_);
}

void SingleInstance::holdName(SessionBus& bus, const std::string& busName) {
  if (bus_ != nullptr) return;
  bus_ = &bus;
  bus.watchConnections(this, [this, busName](sd_bus* connection) {
    if (connection == nullptr) return;
    const int result = sd_bus_request_name(connection, busName.c_str(), 0);
    if (result == -EEXIST && onLost_) onLost_();
  });
}

SingleInstance::Claim SingleInstance::claim(SessionBus& bus, const std::string& busName,
                                            const std::string& lockPath) {
  if (sd_bus* connection = bus.connection()) {
    // Flags 0: neither queue for the name nor let another process take it over.
    const int result = sd_bus_request_name(connection, busName.c_str(), 0);
    bus.processPending();
    if (result >= 0 || result == -EALREADY) {
      holdName(bus, busName);
      return Claim::first;
    }
    if (result == -EEXIST) return Claim::alreadyRunning;
  }
  if (lockFd_ >= 0) return Claim::first;
  const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Claim::first;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return held ? Claim::alreadyRunning : Claim::first;
  }
  lockFd_ = fd;
  return Claim::first;
}

std::string SingleInstance::lockPathFor(const std::string& stem, const std::string& display) {
  std::string safe;
  for (char c : display) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '_' || c == '-';
    safe.push_back(plain ? c : '_');
  }
  if (safe.empty()) safe = "default";
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime == '/')
    return std::string(runtime) + "/" + stem + "-" + safe + ".lock";
  return "/tmp/" + stem + "-" + std::to_string(getuid()) + "-" + safe + ".lock";
}

}  // namespace tavrine::dbus
