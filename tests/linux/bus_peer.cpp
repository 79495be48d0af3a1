// SPDX-License-Identifier: MIT
#include "bus_peer.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>

#include "test_servers.h"

namespace tavrine::doubles {

namespace {
using Clock = std::chrono::steady_clock;
// How long calls must pause for replies held "until idle" to go out; also a round's longest wait.
constexpr std::chrono::milliseconds kIdle(20);
}  // namespace

sd_bus_message* refs(const Call& call, const std::string& app,
                     const std::vector<std::string>& paths) {
  sd_bus_message* r = reply(call);
  sd_bus_message_open_container(r, 'a', "(so)");
  for (const std::string& p : paths)
    sd_bus_message_append(r, "(so)", app.c_str(), p.c_str());
  sd_bus_message_close_container(r);
  return r;
}

sd_bus_message* error(const Call& call) {
  sd_bus_message* r = nullptr;
  sd_bus_message_new_method_errorf(call.message, &r, "org.freedesktop.DBus.Error.UnknownMethod",
                                   "no");
  return r;
}

MenuTree MenuTree::fileSave(std::string app) {
  return {.app = std::move(app),
          .children = {{"/org/a11y/atspi/accessible/root", {"/win"}},
                       {"/win", {"/bar"}},
                       {"/bar", {"/file"}},
                       {"/file", {"/pop"}},
                       {"/pop", {"/save"}},
                       {"/save", {}}},
          .names = {{"/file", "File"}, {"/save", "Save"}},
          .bindings = {{"/save", "Ctrl+S"}},
          .roles = {{"/bar", 34}}};  // a menu bar
}

sd_bus_message* MenuTree::answer(const Call& call) const {
  const auto in = [&](const auto& table, auto none) {
    const auto at = table.find(call.path);
    return at == table.end() ? none : at->second;
  };
  if (!children.contains(call.path)) return error(call);
  if (call.member == "GetChildren") return refs(call, app, children.at(call.path));
  if (call.member == "GetRole") return reply(call, "u", in(roles, otherRole));
  if (call.member == "GetState")
    return reply(call, "au", 2, call.path == activeWindow ? 2u : 0u, 0u);
  if (call.member == "Get") return reply(call, "v", "s", in(names, std::string()).c_str());
  if (call.member == "GetKeyBinding") return reply(call, "s", in(bindings, std::string()).c_str());
  return error(call);
}

// A connection to the address of listen() through a relay that passes the handshake, then half
// of the first reply, then nothing: the client is left in the middle of a message.
struct BusPeer::Relay {
  int client = -1, inner = -1;
  sd_bus* server = nullptr;
  std::string pending;
  bool authenticated = false, stalled = false;

  void relay() {
    char buffer[65536];
    ssize_t n;
    while ((n = read(client, buffer, sizeof buffer)) > 0) {
      [[maybe_unused]] const ssize_t w = write(inner, buffer, static_cast<std::size_t>(n));
    }
    while (!stalled && (n = read(inner, buffer, sizeof buffer)) > 0) {
      pending.append(buffer, static_cast<std::size_t>(n));
      for (std::size_t end; !authenticated && (end = pending.find("\r\n")) != std::string::npos;) {
        [[maybe_unused]] const ssize_t w = write(client, pending.data(), end + 2);
        authenticated = pending.starts_with("OK");
        pending.erase(0, end + 2);
      }
      if (authenticated && !pending.empty()) {
        [[maybe_unused]] const ssize_t w = write(client, pending.data(), pending.size() / 2);
        stalled = true;
      }
    }
  }
  bool closed() const {
    char probe;
    return recv(client, &probe, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
  }
  ~Relay() {
    close(client);
    close(inner);
    sd_bus_close_unref(server);
  }
};

BusPeer::BusPeer(Handler handler) : handler_(std::move(handler)) {}

BusPeer::~BusPeer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  for (const auto& held : held_)
    sd_bus_message_unref(held.first);
  closeListened();
  for (sd_bus* bus : buses_)
    sd_bus_flush_close_unref(bus);
  if (listener_ >= 0) close(listener_);
}

int BusPeer::join(const std::string& address) {
  sd_bus* bus = nullptr;
  if (sd_bus_new(&bus) < 0 || sd_bus_set_address(bus, address.c_str()) < 0 ||
      sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0 ||
      sd_bus_add_filter(bus, nullptr, &BusPeer::onMessage, this) < 0) {
    sd_bus_unref(bus);
    return -1;
  }
  std::lock_guard lock(mutex_);
  buses_.push_back(bus);
  return static_cast<int>(buses_.size()) - 1;
}

bool BusPeer::own(int connection, const char* name) {
  std::lock_guard lock(mutex_);
  return sd_bus_request_name(buses_.at(static_cast<std::size_t>(connection)), name, 0) >= 0;
}

std::string BusPeer::uniqueName(int connection) {
  std::lock_guard lock(mutex_);
  const char* name = nullptr;
  sd_bus_get_unique_name(buses_.at(static_cast<std::size_t>(connection)), &name);
  return name != nullptr ? name : "";
}

std::string BusPeer::listen(bool stall) {
  const std::string path = makeTemporaryDirectory() + "/bus";
  listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  sockaddr_un addr{.sun_family = AF_UNIX, .sun_path = {}};
  path.copy(addr.sun_path, sizeof addr.sun_path - 1);
  if (bind(listener_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listener_, 16) != 0)
    return {};
  stall_ = stall;
  return "unix:path=" + path;
}

void BusPeer::accept() {
  int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return;
  Relay* relay = nullptr;
  if (stall_) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0) {
      close(fd);
      return;
    }
    relay = &relays_.emplace_back();
    relay->client = fd;
    relay->inner = pair[1];
    fd = pair[0];
  }
  sd_bus* bus = nullptr;
  sd_id128_t id;
  sd_id128_randomize(&id);
  sd_bus_new(&bus);
  sd_bus_set_fd(bus, fd, fd);
  sd_bus_set_server(bus, 1, id);
  sd_bus_add_filter(bus, nullptr, &BusPeer::onMessage, this);
  if (sd_bus_start(bus) < 0) {
    sd_bus_unref(bus);
    if (relay != nullptr) relays_.pop_back();
  } else if (relay != nullptr) {
    relay->server = bus;
  } else {
    listened_.push_back(bus);
  }
}

void BusPeer::closeListened() {
  std::lock_guard lock(mutex_);
  for (sd_bus* bus : listened_)
    sd_bus_close_unref(bus);
  listened_.clear();
  relays_.clear();
}

void BusPeer::setHandler(Handler handler) {
  std::lock_guard lock(mutex_);
  handler_ = std::move(handler);
}

void BusPeer::delayReplies(std::chrono::milliseconds delay, bool untilIdle) {
  std::lock_guard lock(mutex_);
  delay_ = delay;
  untilIdle_ = untilIdle;
}

int BusPeer::calls(const std::string& member) {
  std::lock_guard lock(mutex_);
  return calls_[member];
}

int BusPeer::onMessage(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  if (!sd_bus_message_is_method_call(m, nullptr, nullptr)) return 0;
  auto& self = *static_cast<BusPeer*>(userdata);
  const auto at = std::ranges::find(self.buses_, sd_bus_message_get_bus(m));
  const char* path = sd_bus_message_get_path(m);
  const char* destination = sd_bus_message_get_destination(m);
  const Call call{m, sd_bus_message_get_member(m), path != nullptr ? path : "",
                  destination != nullptr ? destination : "",
                  at == self.buses_.end() ? -1 : static_cast<int>(at - self.buses_.begin())};
  ++self.calls_[call.member];
  sd_bus_message* r = self.handler_ ? self.handler_(call) : error(call);
  if (r == nullptr) return 1;
  if (self.delay_.count() > 0 || self.untilIdle_) {
    self.held_.emplace_back(
        r, self.untilIdle_ ? Clock::time_point::max() : Clock::now() + self.delay_);
    return 1;
  }
  sd_bus_send(nullptr, r, nullptr);
  sd_bus_message_unref(r);
  return 1;
}

void BusPeer::release(bool idle) {
  std::erase_if(held_, [&](const auto& held) {
    if (!idle && held.second > Clock::now()) return false;
    sd_bus_send(nullptr, held.first, nullptr);
    sd_bus_message_unref(held.first);
    return true;
  });
}

bool BusPeer::process(std::chrono::milliseconds timeout) {
  std::vector<pollfd> fds;
  {
    std::lock_guard lock(mutex_);
    fds.push_back({listener_, POLLIN, 0});
    for (const auto* list : {&buses_, &listened_})
      for (sd_bus* bus : *list)
        fds.push_back({sd_bus_get_fd(bus), static_cast<short>(sd_bus_get_events(bus)), 0});
    for (const Relay& r : relays_) {
      fds.push_back({r.client, POLLIN, 0});
      fds.push_back({r.inner, POLLIN, 0});
      fds.push_back({sd_bus_get_fd(r.server), static_cast<short>(sd_bus_get_events(r.server)), 0});
    }
  }
  const bool idle = poll(fds.data(), fds.size(), static_cast<int>(timeout.count())) == 0;
  std::lock_guard lock(mutex_);
  if (listener_ >= 0 && (fds[0].revents & POLLIN)) accept();
  bool alive = true;
  for (sd_bus* bus : buses_) {
    int r;
    while ((r = sd_bus_process(bus, nullptr)) > 0)
      continue;
    alive = alive && r >= 0;
  }
  for (sd_bus* bus : listened_)
    while (sd_bus_process(bus, nullptr) > 0)
      continue;
  for (Relay& r : relays_) {
    while (sd_bus_process(r.server, nullptr) > 0)
      continue;
    r.relay();
  }
  relays_.remove_if([](const Relay& r) { return r.closed(); });  // the client gave up
  release(idle && untilIdle_);
  for (sd_bus* bus : buses_)
    sd_bus_flush(bus);
  return alive;
}

void BusPeer::run() {
  while (process(kIdle))
    continue;
}

void BusPeer::start() {
  thread_ = std::thread([this] {
    while (!stop_)
      process(kIdle);
  });
}

}  // namespace tavrine::doubles
