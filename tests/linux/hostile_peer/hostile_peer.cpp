// SPDX-License-Identifier: MIT
// A hostile peer on an accessibility bus: tavrine-hostile-peer BUS_ADDRESS READY_FD. It joins
// the bus as the registry (org.a11y.atspi.Registry: lists one application, takes keystroke
// listeners), as a Qt-shaped and a GTK-shaped application (the registry lists the one the mode
// needs) and as an intruder nobody lists, then writes the Qt one's unique name to READY_FD.
// Control, on the registry's connection (io.github.tavrine.HostilePeer
// /io/github/tavrine/HostilePeer):
//   Mode(s)      "plain": window > menu bar > File > Save (Ctrl+S); "wide:N": N more items
//                (Ctrl+F1 each), answered only once calls pause, as by a busy main thread; "huge":
//                names and bindings of several MiB; "wrong": every reply of another signature;
//                "endless": a cache of 50,000 objects, each the next one's parent, in a ring;
//                "stall": the cache over a socket of its own whose first reply stops halfway
//   Key(uusb)    NotifyEvent(type, keysym, name) to each listener from the registry, or (true)
//                from the application; returns once they have answered
//   Activate(b)  window:activate of /win from the application, or (true) from the intruder
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <list>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* kRoot = "/org/a11y/atspi/accessible/root";
// Past every cap many times over. More only measures AddressSanitizer, whose realloc copies
// sd-bus's whole read buffer each time a few KiB more of a reply come in.
constexpr std::size_t kHugeBytes = 3 << 20;
constexpr int kEndlessCount = 50'000;

std::string mode = "plain";
std::string qtName, gtkName, socketPath;
std::set<std::string> keyListeners;
sd_bus *registry, *qt, *gtk, *intruder;
std::vector<sd_bus_message*> held;  // replies of "wide:N"

bool gtkShaped() {
  return mode == "endless" || mode == "stall";
}
const std::string& listedName() {
  return gtkShaped() ? gtkName : qtName;
}

sd_bus* connect(const char* address) {
  sd_bus* bus = nullptr;
  if (sd_bus_new(&bus) < 0 || sd_bus_set_address(bus, address) < 0 ||
      sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
    std::exit(1);
  }
  return bus;
}

template <class... Args>
sd_bus_message* reply(sd_bus_message* call, const char* types, Args... args) {
  sd_bus_message* r = nullptr;
  sd_bus_message_new_method_return(call, &r);
  if (*types != '\0') sd_bus_message_append(r, types, args...);
  return r;
}

sd_bus_message* refs(sd_bus_message* call, const std::vector<std::string>& paths) {
  sd_bus_message* r = reply(call, "");
  sd_bus_message_open_container(r, 'a', "(so)");
  for (const std::string& p : paths)
    sd_bus_message_append(r, "(so)", listedName().c_str(), p.c_str());
  sd_bus_message_close_container(r);
  return r;
}

std::string repeat(const std::string& piece) {
  std::string s;
  while (s.size() < kHugeBytes)
    s += piece;
  return s;
}

// "plain", "wide:N", "huge": Qt-shaped, read by levels.
sd_bus_message* answerMenu(sd_bus_message* call, const std::string& member,
                           const std::string& path) {
  const bool huge = mode == "huge";
  if (member == "GetChildren") {
    std::vector<std::string> items;
    if (path == kRoot) items = {"/win"};
    if (path == "/win") items = {"/bar"};
    if (path == "/bar") items = {"/file"};
    if (path == "/file") items = {"/pop"};
    if (path == "/pop") items = {"/save"};
    if (path == "/pop" && huge) items.push_back("/huge");
    for (int i = 0, n = path == "/pop" && mode.starts_with("wide:") ? std::atoi(&mode[5]) : 0;
         i < n; ++i)
      items.push_back("/i" + std::to_string(i));
    return refs(call, items);
  }
  if (member == "GetRole") return reply(call, "u", path == "/bar" ? 34u : 35u);
  if (member == "GetState") return reply(call, "au", 2, 2u, 0u);  // active
  std::string text;
  if (member == "Get") {  // the Name property
    if (path == kRoot) text = huge ? repeat("Hostile ") : "hostile";
    if (path == "/file") text = huge ? "File" + repeat("e\u0301") : "File";
    if (path == "/save") text = "Save";
    if (path == "/huge") text = repeat("\u202Eevas ");
    if (path.starts_with("/i")) text = "Item " + path.substr(2);
    return reply(call, "v", "s", text.c_str());
  }
  if (member != "GetKeyBinding") return nullptr;
  if (path == "/save") text = "Ctrl+S";
  if (path.starts_with("/i")) text = "Ctrl+F1";
  if (path == "/huge") text = "Ctrl+" + repeat("Shift+") + "H";
  return reply(call, "s", text.c_str());
}

sd_bus_message* answerWrongly(sd_bus_message* call, const std::string& member) {
  if (member == "GetChildren" || member == "GetMatches") return reply(call, "as", 1, "/win");
  if (member == "Get") return reply(call, "v", "i", 7);
  if (member == "GetItems") return reply(call, "a(so)", 1, ":1.1", "/x");
  return reply(call, "(sa{sv})", "x", 0);
}

// "endless" (over the bus) and "stall" (over its own socket): GTK-shaped, with a cache.
sd_bus_message* answerWithCache(sd_bus_message* call, const std::string& member,
                                const std::string& path) {
  const int count = mode == "endless" ? kEndlessCount : 2;
  const auto node = [](int i) { return "/n" + std::to_string(i % kEndlessCount); };
  if (member == "GetApplicationBusAddress" && mode == "stall")
    return reply(call, "s", ("unix:path=" + socketPath).c_str());
  if (member == "GetChildren") return refs(call, std::vector<std::string>(path == kRoot, "/win"));
  if (member == "GetState") return reply(call, "au", 2, 2u, 0u);
  if (member == "GetKeyBinding") return reply(call, "s", "<Primary>k");
  if (member == "GetMatches") {
    std::vector<std::string> paths = {"/bar"};
    for (int i = 0; path != "/win" && i < count; ++i)
      paths.push_back(node(i));
    return refs(call, {paths.begin() + (path == "/win" ? 0 : 1), paths.end()});
  }
  if (member != "GetItems") return nullptr;
  sd_bus_message* r = reply(call, "");
  sd_bus_message_open_container(r, 'a', "((so)(so)(so)iiassusau)");
  for (int i = 0; i < count; ++i) {
    const std::string parent = i == 0 && count == 2 ? "/bar" : node((i + count - 1) % count);
    sd_bus_message_append(r, "((so)(so)(so)iiassusau)", gtkName.c_str(), node(i).c_str(),
                          gtkName.c_str(), kRoot, gtkName.c_str(), parent.c_str(), 0, 1, 0, "Item",
                          35u, "", 0);
  }
  sd_bus_message_close_container(r);
  return r;
}

sd_bus_message* answerRegistry(sd_bus_message* call, const std::string& member) {
  std::uint32_t type = 0, keysym = 0;
  const char* text = nullptr;
  int fake = 0;
  if (member == "GetChildren") return reply(call, "a(so)", 1, listedName().c_str(), kRoot);
  if (member == "RegisterKeystrokeListener") keyListeners.insert(sd_bus_message_get_sender(call));
  if (member == "Mode" && sd_bus_message_read(call, "s", &text) > 0) mode = text;
  if (member == "Key" && sd_bus_message_read(call, "uusb", &type, &keysym, &text, &fake) > 0) {
    for (const std::string& listener : keyListeners) {
      sd_bus_call_method(fake ? qt : registry, listener.c_str(),
                         "/io/github/tavrine/Tavrine/Keystrokes",
                         "org.a11y.atspi.DeviceEventListener", "NotifyEvent", nullptr, nullptr,
                         "(uiuuisb)", type, keysym, 37u, 0u, 0, text, 0);
    }
  }
  if (member == "Activate" && sd_bus_message_read(call, "b", &fake) > 0) {
    sd_bus_emit_signal(fake ? intruder : qt, "/win", "org.a11y.atspi.Event.Window", "Activate",
                       "siiva{sv}", "", 0, 0, "i", 0, 0);
    sd_bus_flush(fake ? intruder : qt);
  }
  return reply(call, member == "RegisterKeystrokeListener" ? "b" : "", 1);
}

int onMessage(sd_bus_message* m, void* userdata, sd_bus_error*) {
  if (!sd_bus_message_is_method_call(m, nullptr, nullptr)) return 0;
  const std::string member = sd_bus_message_get_member(m);
  const std::string path = sd_bus_message_get_path(m);
  sd_bus_message* r = nullptr;
  if (userdata == registry) {
    r = answerRegistry(m, member);
  } else if (userdata != qt) {
    r = answerWithCache(m, member, path);
  } else {
    r = mode == "wrong" ? answerWrongly(m, member) : answerMenu(m, member, path);
  }
  if (r == nullptr)
    sd_bus_message_new_method_errorf(m, &r, "org.freedesktop.DBus.Error.UnknownMethod", "no");
  if (userdata == qt && mode.starts_with("wide:")) {
    held.push_back(r);
    return 1;
  }
  sd_bus_send(sd_bus_message_get_bus(m), r, nullptr);
  sd_bus_message_unref(r);
  return 1;
}

// The application's own socket through a relay that passes the handshake, then half of the
// application's first reply, then nothing: the reader is left in the middle of a message.
struct StallingRelay {
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
};
std::list<StallingRelay> relays;

void acceptRelay(int listener) {
  int pair[2];
  const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (client < 0 || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
    return;
  StallingRelay& r = relays.emplace_back();
  r.client = client;
  r.inner = pair[1];
  sd_id128_t id;
  sd_id128_randomize(&id);
  sd_bus_new(&r.server);
  sd_bus_set_fd(r.server, pair[0], pair[0]);
  sd_bus_set_server(r.server, 1, id);
  sd_bus_add_filter(r.server, nullptr, &onMessage, gtk);
  sd_bus_start(r.server);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  sd_bus** buses[] = {&registry, &qt, &gtk, &intruder};
  for (sd_bus** bus : buses) {
    *bus = connect(argv[1]);
    sd_bus_add_filter(*bus, nullptr, &onMessage, *bus);
  }
  const char* unique = nullptr;
  if (sd_bus_request_name(registry, "org.a11y.atspi.Registry", 0) < 0) return 1;
  sd_bus_get_unique_name(qt, &unique);
  qtName = unique;
  sd_bus_get_unique_name(gtk, &unique);
  gtkName = unique;

  char dir[] = "/tmp/tavrine-hostile-XXXXXX";
  socketPath = std::string(mkdtemp(dir) != nullptr ? dir : "/tmp") + "/peer";
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  sockaddr_un addr{.sun_family = AF_UNIX, .sun_path = {}};
  socketPath.copy(addr.sun_path, sizeof addr.sun_path - 1);
  if (bind(listener, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener, 16) != 0) {
    return 1;
  }
  const std::string line = qtName + "\n";
  [[maybe_unused]] const ssize_t written = write(std::atoi(argv[2]), line.data(), line.size());
  close(std::atoi(argv[2]));

  for (;;) {
    std::vector<pollfd> fds = {{listener, POLLIN, 0}};
    for (sd_bus** bus : buses)
      fds.push_back({sd_bus_get_fd(*bus), static_cast<short>(sd_bus_get_events(*bus)), 0});
    for (const StallingRelay& r : relays) {
      fds.push_back({r.client, POLLIN, 0});
      fds.push_back({r.inner, POLLIN, 0});
      fds.push_back({sd_bus_get_fd(r.server), static_cast<short>(sd_bus_get_events(r.server)), 0});
    }
    const int events = poll(fds.data(), fds.size(), 20);
    if (events == 0) {  // calls paused: what "wide:N" held goes out
      for (sd_bus_message* r : held) {
        sd_bus_send(qt, r, nullptr);
        sd_bus_message_unref(r);
      }
      held.clear();
    }
    if (fds[0].revents & POLLIN) acceptRelay(listener);
    for (sd_bus** bus : buses) {
      int r;
      while ((r = sd_bus_process(*bus, nullptr)) > 0)
        continue;
      if (r < 0) return 0;  // the bus went away
    }
    for (StallingRelay& r : relays) {
      while (sd_bus_process(r.server, nullptr) > 0)
        continue;
      r.relay();
    }
    std::erase_if(relays, [](StallingRelay& r) {  // the reader gave up and closed
      char probe;
      if (recv(r.client, &probe, 1, MSG_PEEK | MSG_DONTWAIT) != 0) return false;
      close(r.client);
      close(r.inner);
      sd_bus_close_unref(r.server);
      return true;
    });
  }
}
