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
//                from the application; returns once they have answered, failing if one
//                consumed the key
//   Activate(b)  window:activate of /win from the application, or (true) from the intruder
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "../bus_peer.h"

namespace {

using namespace tavrine::doubles;

constexpr const char* kRoot = "/org/a11y/atspi/accessible/root";
// Past every cap many times over. More only measures AddressSanitizer, whose realloc copies
// sd-bus's whole read buffer each time a few KiB more of a reply come in.
constexpr std::size_t kHugeBytes = 3 << 20;
constexpr int kEndlessCount = 50'000;
enum Connection { kRegistry, kQt, kGtk, kIntruder };

BusPeer peer;
std::string mode, qtName, gtkName, socketAddress;
MenuTree menu;
std::set<std::string> keyListeners;

bool gtkShaped() {
  return mode == "endless" || mode == "stall";
}

std::string repeat(const std::string& piece) {
  std::string s;
  while (s.size() < kHugeBytes)
    s += piece;
  return s;
}

void setMode(const std::string& to) {
  mode = to;
  menu = MenuTree::fileSave(qtName);
  menu.otherRole = 35;  // a menu item
  menu.names[kRoot] = "hostile";
  if (mode == "huge") {
    menu.names[kRoot] = repeat("Hostile ");
    menu.names["/file"] = "File" + repeat("e\u0301");
    menu.children["/pop"].push_back("/huge");
    menu.children["/huge"] = {};
    menu.names["/huge"] = repeat("\u202Eevas ");
    menu.bindings["/huge"] = "Ctrl+" + repeat("Shift+") + "H";
  }
  for (int i = 0, n = mode.starts_with("wide:") ? std::atoi(&mode[5]) : 0; i < n; ++i) {
    const std::string item = "/i" + std::to_string(i);
    menu.children["/pop"].push_back(item);
    menu.children[item] = {};
    menu.names[item] = "Item " + std::to_string(i);
    menu.bindings[item] = "Ctrl+F1";
  }
  peer.delayReplies({}, mode.starts_with("wide:"));
}

sd_bus_message* answerWrongly(const Call& call) {
  if (call.member == "GetChildren" || call.member == "GetMatches")
    return reply(call, "as", 1, "/win");
  if (call.member == "Get") return reply(call, "v", "i", 7);
  if (call.member == "GetItems") return reply(call, "a(so)", 1, ":1.1", "/x");
  return reply(call, "(sa{sv})", "x", 0);
}

// "endless" (over the bus) and "stall" (over its own socket): GTK-shaped, with a cache.
sd_bus_message* answerWithCache(const Call& call) {
  const int count = mode == "endless" ? kEndlessCount : 2;
  const auto node = [](int i) { return "/n" + std::to_string(i % kEndlessCount); };
  if (call.member == "GetApplicationBusAddress" && mode == "stall")
    return reply(call, "s", socketAddress.c_str());
  if (call.member == "GetChildren")
    return refs(call, gtkName, std::vector<std::string>(call.path == kRoot, "/win"));
  if (call.member == "GetState") return reply(call, "au", 2, 2u, 0u);
  if (call.member == "GetKeyBinding") return reply(call, "s", "<Primary>k");
  if (call.member == "GetMatches") {
    std::vector<std::string> paths = {"/bar"};
    for (int i = 0; call.path != "/win" && i < count; ++i)
      paths.push_back(node(i));
    return refs(call, gtkName, {paths.begin() + (call.path == "/win" ? 0 : 1), paths.end()});
  }
  if (call.member != "GetItems") return error(call);
  sd_bus_message* r = reply(call);
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

sd_bus_message* answerRegistry(const Call& call) {
  std::uint32_t type = 0, keysym = 0;
  const char* text = nullptr;
  int fake = 0;
  if (call.member == "GetChildren")
    return reply(call, "a(so)", 1, (gtkShaped() ? gtkName : qtName).c_str(), kRoot);
  if (call.member == "RegisterKeystrokeListener")
    keyListeners.insert(sd_bus_message_get_sender(call.message));
  if (call.member == "Mode" && sd_bus_message_read(call.message, "s", &text) > 0) setMode(text);
  bool consumed = false;
  if (call.member == "Key" &&
      sd_bus_message_read(call.message, "uusb", &type, &keysym, &text, &fake) > 0) {
    for (const std::string& listener : keyListeners)
      consumed |=
          peer.call(fake ? kQt : kRegistry, listener.c_str(),
                    "/io/github/tavrine/Tavrine/Keystrokes", "org.a11y.atspi.DeviceEventListener",
                    "NotifyEvent", "(uiuuisb)", type, keysym, 37u, 0u, 0, text, 0) > 0;
  }
  if (call.member == "Activate" && sd_bus_message_read(call.message, "b", &fake) > 0) {
    peer.sendSignal(fake ? kIntruder : kQt, "", "/win", "org.a11y.atspi.Event.Window", "Activate",
                    "siiva{sv}", "", 0, 0, "i", 0, 0);
  }
  if (consumed) return error(call);
  return reply(call, call.member == "RegisterKeystrokeListener" ? "b" : "", 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  for (int c = kRegistry; c <= kIntruder; ++c)
    if (peer.join(argv[1]) != c) return 1;
  if (!peer.own(kRegistry, "org.a11y.atspi.Registry")) return 1;
  qtName = peer.uniqueName(kQt);
  gtkName = peer.uniqueName(kGtk);
  socketAddress = peer.listen(true);
  if (socketAddress.empty()) return 1;
  setMode("plain");
  peer.setHandler([](const Call& call) {
    if (call.connection == kRegistry) return answerRegistry(call);
    if (call.connection != kQt) return answerWithCache(call);
    return mode == "wrong" ? answerWrongly(call) : menu.answer(call);
  });
  const std::string line = qtName + "\n";
  [[maybe_unused]] const ssize_t written = write(std::atoi(argv[2]), line.data(), line.size());
  close(std::atoi(argv[2]));
  peer.run();  // until the bus goes away
}
