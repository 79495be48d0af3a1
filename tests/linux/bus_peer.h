// SPDX-License-Identifier: MIT
// The one D-Bus peer of the tests: connections to buses (as a client) and, at an address of its
// own, to whoever connects (as the server, playing the bus daemon if its handler does), every
// call on them answered by one handler: well, wrongly, late or never. It runs on a thread of its
// own once started, or in the caller's thread through process() and run().
#pragma once

#include <systemd/sd-bus.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tavrine::doubles {

struct Call {
  sd_bus_message* message;
  std::string member, path, destination;
  int connection;  // the index join() gave, or -1 for one at the address of listen()
};
// The reply to send (reply(), refs(), error()), or null to never answer.
using Handler = std::function<sd_bus_message*(const Call&)>;

template <class... Args>
sd_bus_message* reply(const Call& call, const char* types = "", Args... args) {
  sd_bus_message* r = nullptr;
  sd_bus_message_new_method_return(call.message, &r);
  if (*types != '\0') sd_bus_message_append(r, types, args...);
  return r;
}
// An array of accessible references, all of application `app`.
sd_bus_message* refs(const Call& call, const std::string& app,
                     const std::vector<std::string>& paths);
sd_bus_message* error(const Call& call);

// A Qt-shaped accessible application as a table: read by levels (children, role, state, name,
// key binding), no Collection and no cache. An object it does not list answers with an error.
struct MenuTree {
  std::string app;  // the bus name its references carry
  std::map<std::string, std::vector<std::string>> children;
  std::map<std::string, std::string> names, bindings;
  std::map<std::string, std::uint32_t> roles;
  std::uint32_t otherRole = 0;
  std::string activeWindow = "/win";

  // root > /win > /bar (a menu bar) > /file "File" > /pop > /save "Save" (Ctrl+S).
  static MenuTree fileSave(std::string app);
  sd_bus_message* answer(const Call& call) const;
};

class BusPeer {
 public:
  explicit BusPeer(Handler handler = {});
  ~BusPeer();
  BusPeer(const BusPeer&) = delete;
  BusPeer& operator=(const BusPeer&) = delete;

  int join(const std::string& address);  // the connection's index, -1 on failure
  bool own(int connection, const char* name);
  std::string uniqueName(int connection);
  // Listens at a socket of its own: its address. With `stall`, the first reply on each
  // connection there stops halfway and nothing follows it.
  std::string listen(bool stall = false);
  void closeListened();  // every connection made to the address: the other side went away
  void setHandler(Handler handler);

  // Replies go out `delay` after the call; with `untilIdle`, once calls pause for 20 ms, as from
  // a busy main thread.
  void delayReplies(std::chrono::milliseconds delay, bool untilIdle = false);
  int calls(const std::string& member);

  // A signal from `connection` to `to` alone (empty: to everyone).
  template <class... Args>
  void sendSignal(int connection, const std::string& to, const char* path, const char* interface,
                  const char* member, const char* types, Args... args) {
    std::lock_guard lock(mutex_);
    sd_bus* bus = buses_.at(static_cast<std::size_t>(connection));
    sd_bus_message* m = nullptr;
    if (sd_bus_message_new_signal(bus, &m, path, interface, member) >= 0 &&
        (to.empty() || sd_bus_message_set_destination(m, to.c_str()) >= 0) &&
        sd_bus_message_append(m, types, args...) >= 0) {
      sd_bus_send(bus, m, nullptr);
      sd_bus_flush(bus);
    }
    sd_bus_message_unref(m);
  }
  // A method call from `connection`, waiting for its answer: the boolean it starts with (0 if
  // none), or -1 on failure.
  template <class... Args>
  int call(int connection, const char* to, const char* path, const char* interface,
           const char* member, const char* types, Args... args) {
    std::lock_guard lock(mutex_);
    sd_bus_message* answer = nullptr;
    int value = 0;
    if (sd_bus_call_method(buses_.at(static_cast<std::size_t>(connection)), to, path, interface,
                           member, nullptr, &answer, types, args...) < 0)
      return -1;
    if (sd_bus_message_read(answer, "b", &value) <= 0) value = 0;
    sd_bus_message_unref(answer);
    return value;
  }

  void start();  // serves on a thread of its own until destroyed
  // One round: waits up to `timeout` for traffic, answers it; false once a joined bus went away.
  bool process(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
  void run();  // rounds until a joined bus goes away

 private:
  struct Relay;
  static int onMessage(sd_bus_message* m, void* userdata, sd_bus_error* error);
  void accept();
  void release(bool idle);

  std::recursive_mutex mutex_;
  Handler handler_;
  std::vector<sd_bus*> buses_;
  std::vector<sd_bus*> listened_;
  std::list<Relay> relays_;
  int listener_ = -1;
  bool stall_ = false;
  std::chrono::milliseconds delay_{0};
  bool untilIdle_ = false;
  std::vector<std::pair<sd_bus_message*, std::chrono::steady_clock::time_point>> held_;
  std::map<std::string, int> calls_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

}  // namespace tavrine::doubles
