// SPDX-License-Identifier: MIT
// sd-bus rather than libatspi, GDBus or QtDBus: it lets every call of a batch be sent before any
// reply is awaited, bounds each wait, and costs the least client time per read.
#include "backends/linux/atspi/reader.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "backends/linux/atspi/names.h"
#include "backends/linux/dbus/bus_connection.h"
#include "keys/key_binding.h"
#include "text/unicode.h"

namespace tavrine::atspi {
namespace {

using dbus::BusPtr;
using dbus::MessagePtr;
using dbus::SlotPtr;

using Clock = std::chrono::steady_clock;

constexpr const char* kCachePath = "/org/a11y/atspi/cache";
constexpr const char* kAction = "org.a11y.atspi.Action";
constexpr const char* kCollection = "org.a11y.atspi.Collection";
constexpr const char* kApplication = "org.a11y.atspi.Application";
constexpr const char* kCache = "org.a11y.atspi.Cache";

constexpr std::int32_t kMatchAll = 1;
constexpr std::int32_t kMatchAny = 2;
constexpr std::uint32_t kSortCanonical = 1;

std::uint64_t usecUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<std::uint64_t>(left.count()) : 1;
}

// Calls sent together and awaited together, each bounded by the read's deadline.
class Batch {
 public:
  Batch(sd_bus* bus, const char* destination, Clock::time_point deadline, std::size_t maxInFlight,
        ReadStats& stats)
      : bus_(bus),
        destination_(destination),
        deadline_(deadline),
        maxInFlight_(std::max<std::size_t>(maxInFlight, 1)),
        stats_(stats) {
    ++stats_.batches;
  }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

  // A method call to fill with arguments and hand to send(); null when it cannot be made.
  MessagePtr message(const char* path, const char* interface, const char* member) const {
    sd_bus_message* m = nullptr;
    if (sd_bus_message_new_method_call(bus_, &m, destination_, path, interface, member) < 0) {
      return {};
    }
    return MessagePtr(m);
  }

  // The index of the call, whose reply() is then read; -1 when it could not be sent (the
  // connection broke, or the deadline passed while waiting for room).
  int send(MessagePtr m) {
    if (!m || broken_) return -1;
    // The bus refuses calls past its limit of replies awaited per connection: wait for room.
    if (calls_.size() - answered_ >= maxInFlight_ && !drainTo(maxInFlight_ - 1)) return -1;
    Call& c = calls_.emplace_back();
    c.batch = this;
    sd_bus_slot* slot = nullptr;
    if (sd_bus_call_async(bus_, &slot, m.get(), &Batch::onReply, &c, usecUntil(deadline_)) < 0) {
      calls_.pop_back();
      return -1;
    }
    c.slot.reset(slot);
    ++stats_.calls;
    return static_cast<int>(calls_.size()) - 1;
  }

  int call(const char* path, const char* interface, const char* member) {
    return send(message(path, interface, member));
  }

  // Until every call is answered, the deadline passes or the connection breaks.
  void wait() {
    drainTo(0);
    stats_.answered += static_cast<int>(answered_);
  }

  // The successful reply of call `i`, positioned at its first argument; null otherwise.
  sd_bus_message* reply(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= calls_.size()) return nullptr;
    sd_bus_message* m = calls_[static_cast<std::size_t>(i)].reply.get();
    if (m != nullptr) sd_bus_message_rewind(m, 1);
    return m;
  }

  bool broken() const { return broken_; }

 private:
  struct Call {
    Batch* batch = nullptr;
    // Dropped, a slot forgets its call: a late reply is discarded by sd-bus.
    SlotPtr slot;
    MessagePtr reply;
    bool done = false;
  };

  // Until at most `unanswered` calls await their reply; false when the deadline passed or the
  // connection broke first.
  bool drainTo(std::size_t unanswered) {
    while (calls_.size() - answered_ > unanswered) {
      int r = sd_bus_process(bus_, nullptr);
      if (r < 0) {
        broken_ = true;
        return false;
      }
      // A reply of several MiB is read in one call: the deadline is checked between replies too.
      if (r > 0 && (calls_.size() - answered_ <= unanswered || Clock::now() < deadline_)) continue;
      if (Clock::now() >= deadline_) {
        stats_.deadlineHit = true;
        return false;
      }
      r = sd_bus_wait(bus_, usecUntil(deadline_));
      if (r < 0 && r != -EINTR) {
        broken_ = true;
        return false;
      }
    }
    return true;
  }

  static int onReply(sd_bus_message* m, void* userdata, sd_bus_error*) {
    Call& c = *static_cast<Call*>(userdata);
    if (c.done) return 0;
    c.done = true;
    ++c.batch->answered_;
    if (!sd_bus_message_is_method_error(m, nullptr)) c.reply.reset(sd_bus_message_ref(m));
    return 0;
  }

  sd_bus* bus_;
  const char* destination_;
  Clock::time_point deadline_;
  std::size_t maxInFlight_;
  ReadStats& stats_;
  std::deque<Call> calls_;  // stable addresses: each is its callback's userdata
  std::size_t answered_ = 0;
  bool broken_ = false;
};

// Decoders: false (or nothing) on a reply of another shape; arrays stop at `max` entries.

// A text, cut to `maxBytes` between characters.
bool readText(sd_bus_message* m, std::string& out, std::size_t maxBytes) {
  const char* s = nullptr;
  if (m == nullptr || sd_bus_message_read_basic(m, 's', &s) <= 0) return false;
  out = text::clipToGraphemes(s, maxBytes);
  return true;
}

bool readUint32(sd_bus_message* m, std::uint32_t& out) {
  return m != nullptr && sd_bus_message_read_basic(m, 'u', &out) > 0;
}

// A string used whole, or refused when longer than `maxBytes`.
bool readWhole(sd_bus_message* m, std::string& out, std::size_t maxBytes) {
  const char* s = nullptr;
  if (m == nullptr || sd_bus_message_read_basic(m, 's', &s) <= 0 ||
      std::string_view(s).size() > maxBytes) {
    return false;
  }
  out = s;
  return true;
}

// A variant holding a text (Properties.Get).
bool readVariantText(sd_bus_message* m, std::string& out, std::size_t maxBytes) {
  if (m == nullptr || sd_bus_message_enter_container(m, 'v', "s") <= 0) return false;
  return readText(m, out, maxBytes);
}

// A name or path that is used whole, or refused.
bool fits(const char* s, std::size_t maxBytes) {
  return s != nullptr && std::string_view(s).size() <= maxBytes;
}

// a(so): the object references of GetChildren and GetMatches.
std::vector<std::pair<std::string, std::string>> readRefs(sd_bus_message* m, std::size_t max) {
  std::vector<std::pair<std::string, std::string>> refs;
  if (m == nullptr || sd_bus_message_enter_container(m, 'a', "(so)") <= 0) return refs;
  const char* name = nullptr;
  const char* path = nullptr;
  while (refs.size() < max && sd_bus_message_read(m, "(so)", &name, &path) > 0) {
    if (fits(name, kMaxBusNameBytes) && fits(path, kMaxPathBytes)) refs.emplace_back(name, path);
  }
  return refs;
}

std::vector<std::string> readPaths(sd_bus_message* m, std::size_t max) {
  std::vector<std::string> paths;
  for (auto& [name, path] : readRefs(m, max))
    paths.push_back(std::move(path));
  return paths;
}

// GetState: the first word of the state set.
bool readStates(sd_bus_message* m, std::uint32_t& low) {
  const void* data = nullptr;
  std::size_t size = 0;
  if (m == nullptr || sd_bus_message_read_array(m, 'u', &data, &size) < 0 || size < sizeof low) {
    return false;
  }
  low = *static_cast<const std::uint32_t*>(data);
  return true;
}

// Cache.GetItems, keeping the first entry of each object in `wanted`; decoding stops at the
// deadline, since the application lists all its objects and a huge list costs time here.
std::vector<CacheItem> readCacheItems(sd_bus_message* m,
                                      std::unordered_set<std::string_view> wanted,
                                      Clock::time_point deadline) {
  std::vector<CacheItem> items;
  if (m == nullptr || sd_bus_message_enter_container(m, 'a', "((so)(so)(so)iiassusau)") <= 0) {
    return items;
  }
  for (std::size_t seen = 0; !wanted.empty(); ++seen) {
    if (seen % 1024 == 1023 && Clock::now() >= deadline) break;
    if (sd_bus_message_enter_container(m, 'r', "(so)(so)(so)iiassusau") <= 0) break;
    const char *bus = nullptr, *path = nullptr, *appBus = nullptr, *appPath = nullptr;
    const char *parentBus = nullptr, *parentPath = nullptr, *name = nullptr;
    std::int32_t index = 0, childCount = 0;
    std::uint32_t role = 0;
    if (sd_bus_message_read(m, "(so)(so)(so)ii", &bus, &path, &appBus, &appPath, &parentBus,
                            &parentPath, &index, &childCount) <= 0 ||
        sd_bus_message_skip(m, "as") < 0 || sd_bus_message_read(m, "su", &name, &role) <= 0 ||
        sd_bus_message_skip(m, "sau") < 0 || sd_bus_message_exit_container(m) < 0) {
      break;
    }
    if (fits(parentPath, kMaxPathBytes) && wanted.erase(path) > 0) {
      items.push_back(
          {path, parentPath, role, std::string(text::clipToGraphemes(name, kMaxTitleBytes))});
    }
  }
  return items;
}

// Collection.GetMatches over the whole subtree: no criteria, or the given roles (any of them).
MessagePtr appendGetMatches(MessagePtr m, const std::vector<std::int32_t>& roleWords,
                            std::int32_t count) {
  if (!m) return m;
  sd_bus_message* raw = m.get();
  const bool ok = sd_bus_message_open_container(raw, 'r', "aiia{ss}iaiiasib") >= 0 &&
                  sd_bus_message_append_array(raw, 'i', "", 0) >= 0 &&
                  sd_bus_message_append(raw, "i", kMatchAll) >= 0 &&
                  sd_bus_message_append(raw, "a{ss}", 0) >= 0 &&
                  sd_bus_message_append(raw, "i", kMatchAll) >= 0 &&
                  sd_bus_message_append_array(
                      raw, 'i', roleWords.empty() ? "" : static_cast<const void*>(roleWords.data()),
                      roleWords.size() * sizeof(std::int32_t)) >= 0 &&
                  // Role sets are compared in AT-SPI's numbering only by "any" in older bridges.
                  sd_bus_message_append(raw, "i", roleWords.empty() ? kMatchAll : kMatchAny) >= 0 &&
                  sd_bus_message_append(raw, "as", 0) >= 0 &&
                  sd_bus_message_append(raw, "ib", kMatchAll, 0) >= 0 &&
                  sd_bus_message_close_container(raw) >= 0 &&
                  sd_bus_message_append(raw, "uib", kSortCanonical, count, 1) >= 0;
  return ok ? std::move(m) : MessagePtr{};
}

MessagePtr appendInt(MessagePtr m, std::int32_t value) {
  if (m && sd_bus_message_append(m.get(), "i", value) < 0) return {};
  return m;
}

}  // namespace

struct AtspiReader::State {
  ReadOptions options;
  BusPtr bus;  // the accessibility bus
  // Unique bus names are never reused while the bus lives, so their pids can be kept.
  std::unordered_map<std::string, std::int32_t> pidByName;
  struct Peer {
    bool asked = false;  // GetApplicationBusAddress was answered (maybe with nothing)
    std::string address;
    BusPtr connection;
    // The windows of the last search and each one's menu bar ("" for none): object paths stay
    // with their objects, so the same windows have the same menu bars while those live.
    std::vector<std::string> windows;
    std::vector<std::string> menuBars;
    bool noCache = false;  // the toolkit offers no cache of the new form (Qt): read by levels
  };
  std::unordered_map<std::string, Peer> peers;

  sd_id128_t busId{};  // the daemon's own, to know it again after a connection of ours ends
  sd_bus* accessibilityBus(Clock::time_point deadline);
  void dropBus() {
    bus.reset();
    pidByName.clear();
    peers.clear();
  }
  // Ends the connection but keeps what is known of the bus: the daemon then discards the replies
  // still owed to it, which a hostile application makes several MiB each, rather than the next
  // read taking them in.
  void abandonBus() { bus.reset(); }
  struct MenuBar {
    std::string path;
    bool remembered = false;
  };
  MenuBar findMenuBar(const std::string& app, const std::vector<std::string>& windows,
                      bool mayRemember, Clock::time_point deadline, ReadResult& result);
  void readMenu(const std::string& app, const std::string& menuBar, Clock::time_point deadline,
                ReadResult& result);
  bool readWithCache(sd_bus* connection, const char* destination, const std::string& menuBar,
                     Clock::time_point deadline, ReadResult& result, bool& broken, bool& noCache);
  void readByLevels(const std::string& app, const std::string& menuBar, Clock::time_point deadline,
                    ReadResult& result);
};

// The accessibility bus, looked up again whenever it has gone.
sd_bus* AtspiReader::State::accessibilityBus(Clock::time_point deadline) {
  if (bus && sd_bus_is_open(bus.get()) > 0) return bus.get();
  if (bus) dropBus();  // broken, not abandoned: what it told may be stale
  bus = dbus::connectToAddress(dbus::accessibilityBusAddress(usecUntil(deadline)), true);
  sd_id128_t id{};
  // Unique names are reused by another daemon, which may listen at the same address.
  if (!bus || sd_bus_get_bus_id(bus.get(), &id) < 0 || !sd_id128_equal(id, busId)) {
    pidByName.clear();
    peers.clear();
  }
  busId = id;
  return bus.get();
}

AtspiReader::AtspiReader(ReadOptions options) : state_(std::make_unique<State>()) {
  state_->options = options;
}

AtspiReader::~AtspiReader() = default;

const ReadOptions& AtspiReader::options() const {
  return state_->options;
}

ReadResult AtspiReader::read(std::int32_t pid, std::chrono::milliseconds budget) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + budget;
  ReadResult result;
  State& s = *state_;
  const ReadOptions& o = s.options;
  auto finish = [&] {
    if (result.stats.deadlineHit) s.abandonBus();
    result.stats.elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    return std::move(result);
  };

  // Never our own objects: they answer on the main thread, which waits here when it reads (as the
  // tests do), and Tavrine has no shortcuts of its own to show.
  if (pid == getpid()) return finish();
  sd_bus* bus = s.accessibilityBus(deadline);
  if (bus == nullptr) return finish();

  // The applications on the bus, then the process of each one not seen before, all at once.
  std::vector<std::string> names;
  {
    Batch batch(bus, kRegistry, deadline, o.maxCallsInFlight, result.stats);
    const int call = batch.call(kRootPath, kAccessible, "GetChildren");
    batch.wait();
    if (batch.broken()) {
      s.dropBus();  // opened again by the next read
      return finish();
    }
    for (auto& [name, path] : readRefs(batch.reply(call), o.maxApplications)) {
      if (name.starts_with(':')) names.push_back(std::move(name));
    }
  }
  if (names.empty()) return finish();
  {
    const std::unordered_set<std::string_view> listed(names.begin(), names.end());
    std::erase_if(s.pidByName, [&](const auto& entry) { return !listed.contains(entry.first); });
    std::erase_if(s.peers, [&](const auto& entry) { return !listed.contains(entry.first); });
  }
  {
    Batch batch(bus, "org.freedesktop.DBus", deadline, o.maxCallsInFlight, result.stats);
    std::vector<std::pair<int, const std::string*>> calls;
    for (const std::string& name : names) {
      if (s.pidByName.contains(name)) continue;
      MessagePtr m = batch.message("/org/freedesktop/DBus", "org.freedesktop.DBus",
                                   "GetConnectionUnixProcessID");
      if (m && sd_bus_message_append(m.get(), "s", name.c_str()) >= 0) {
        calls.emplace_back(batch.send(std::move(m)), &name);
      }
    }
    batch.wait();
    for (auto& [call, name] : calls) {
      std::uint32_t owner = 0;
      if (readUint32(batch.reply(call), owner)) {
        s.pidByName[*name] = static_cast<std::int32_t>(owner);
      }
    }
  }
  const std::string* app = nullptr;
  for (const std::string& name : names) {
    const auto found = s.pidByName.find(name);
    if (found != s.pidByName.end() && found->second == pid) {
      app = &name;
      break;
    }
  }
  if (app == nullptr) return finish();
  result.found = true;
  result.application = *app;
  State::Peer& peer = s.peers[*app];

  // Its windows, and (once) the address of its own socket, which also turns its cache on.
  std::vector<std::string> windows;
  {
    Batch batch(bus, app->c_str(), deadline, o.maxCallsInFlight, result.stats);
    const int children = batch.call(kRootPath, kAccessible, "GetChildren");
    const int address =
        peer.asked ? -1 : batch.call(kRootPath, kApplication, "GetApplicationBusAddress");
    batch.wait();
    windows = readPaths(batch.reply(children), o.maxWindows);
    if (address >= 0 && batch.reply(address) != nullptr) {
      peer.asked = true;
      readWhole(batch.reply(address), peer.address, kMaxAddressBytes);
    } else if (address >= 0 && !result.stats.deadlineHit) {
      peer.asked = true;  // answered with an error: the toolkit has no such socket
    }
  }

  State::MenuBar menuBar = s.findMenuBar(*app, windows, true, deadline, result);
  if (menuBar.path.empty() || result.stats.deadlineHit) return finish();
  result.replies.menuBar = menuBar.path;
  s.readMenu(*app, menuBar.path, deadline, result);
  // A remembered menu bar that no longer answers was replaced: search again, once.
  const bool gone = !result.stats.usedCache && !result.replies.children.contains(menuBar.path);
  if (menuBar.remembered && gone && !result.stats.deadlineHit && s.bus) {
    result.replies = MenuReplies{};
    menuBar = s.findMenuBar(*app, windows, false, deadline, result);
    if (menuBar.path.empty() || result.stats.deadlineHit) return finish();
    result.replies.menuBar = menuBar.path;
    s.readMenu(*app, menuBar.path, deadline, result);
  }
  return finish();
}

ax::Error AtspiReader::press(const std::string& application, const std::string& path) {
  State& s = *state_;
  // After a read that ran into its deadline, on a connection of its own; not when the bus has
  // changed since the read named the application.
  sd_bus* bus = s.accessibilityBus(Clock::now() + s.options.deadline);
  if (bus == nullptr || !s.pidByName.contains(application)) {
    return ax::Error::failure;
  }
  sd_bus_message* raw = nullptr;
  if (sd_bus_message_new_method_call(bus, &raw, application.c_str(), path.c_str(), kAction,
                                     "DoAction") < 0) {
    return ax::Error::invalidRequest;  // not a valid name or path
  }
  const MessagePtr m = appendInt(MessagePtr(raw), 0);
  if (!m || sd_bus_send(bus, m.get(), nullptr) < 0) return ax::Error::failure;
  // Out now rather than at the next read, which may never come.
  sd_bus_flush(bus);
  return ax::Error::success;
}

// Each window's state and menu bar: a search where the toolkit offers one, else the window's
// children. The menu bars of the same windows are taken from the last search; then only the
// states are read, and nothing when there is one window.
AtspiReader::State::MenuBar AtspiReader::State::findMenuBar(const std::string& app,
                                                            const std::vector<std::string>& windows,
                                                            bool mayRemember,
                                                            Clock::time_point deadline,
                                                            ReadResult& result) {
  Peer& peer = peers[app];
  const bool remembered = mayRemember && !windows.empty() && peer.windows == windows;
  if (remembered && windows.size() == 1) return {peer.menuBars.front(), true};
  sd_bus* connection = bus.get();
  Batch batch(connection, app.c_str(), deadline, options.maxCallsInFlight, result.stats);
  struct Window {
    int state = -1, matches = -1, children = -1;
  };
  std::vector<Window> calls;
  const std::vector<std::int32_t> menuBarRole = {0, 1 << (kRoleMenuBar - 32)};
  for (const std::string& w : windows) {
    Window& c = calls.emplace_back();
    c.state = batch.call(w.c_str(), kAccessible, "GetState");
    if (remembered) continue;
    c.matches = batch.send(
        appendGetMatches(batch.message(w.c_str(), kCollection, "GetMatches"), menuBarRole, 1));
    c.children = batch.call(w.c_str(), kAccessible, "GetChildren");
  }
  batch.wait();
  std::vector<bool> active(windows.size());
  for (std::size_t i = 0; i < windows.size(); ++i) {
    std::uint32_t states = 0;
    active[i] = readStates(batch.reply(calls[i].state), states) && (states & (1u << kStateActive));
  }
  std::vector<std::string> found(windows.size());
  if (remembered) {
    found = peer.menuBars;
  } else {
    std::vector<std::vector<std::string>> unsearched(windows.size());
    bool anyUnsearched = false;
    for (std::size_t i = 0; i < windows.size(); ++i) {
      const std::vector<std::string> matches = readPaths(batch.reply(calls[i].matches), 1);
      if (!matches.empty()) {
        found[i] = matches.front();
      } else if (batch.reply(calls[i].matches) == nullptr) {
        unsearched[i] = readPaths(batch.reply(calls[i].children), options.maxWindows);
        anyUnsearched = anyUnsearched || !unsearched[i].empty();
      }
    }
    // Toolkits without the search (Qt) hold the menu bar as a child of the window.
    if (anyUnsearched && !result.stats.deadlineHit) {
      Batch roles(connection, app.c_str(), deadline, options.maxCallsInFlight, result.stats);
      std::vector<std::vector<int>> roleCalls(windows.size());
      for (std::size_t i = 0; i < windows.size(); ++i) {
        for (const std::string& child : unsearched[i]) {
          roleCalls[i].push_back(roles.call(child.c_str(), kAccessible, "GetRole"));
        }
      }
      roles.wait();
      for (std::size_t i = 0; i < windows.size(); ++i) {
        for (std::size_t j = 0; j < roleCalls[i].size() && found[i].empty(); ++j) {
          std::uint32_t role = 0;
          if (readUint32(roles.reply(roleCalls[i][j]), role) && role == kRoleMenuBar) {
            found[i] = unsearched[i][j];
          }
        }
      }
    }
    // Only complete answers are kept: a window without a menu bar may get one later.
    const bool complete = std::none_of(found.begin(), found.end(),
                                       [](const std::string& path) { return path.empty(); });
    peer.windows = complete && !result.stats.deadlineHit ? windows : std::vector<std::string>{};
    peer.menuBars = found;
  }
  // The active window's menu bar, else the first window's that has one.
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (active[i] && !found[i].empty()) return {found[i], remembered};
  }
  for (const std::string& path : found) {
    if (!path.empty()) return {path, remembered};
  }
  return {};
}

void AtspiReader::State::readMenu(const std::string& app, const std::string& menuBar,
                                  Clock::time_point deadline, ReadResult& result) {
  Peer& peer = peers[app];
  if (!peer.address.empty()) {
    if (!peer.connection || sd_bus_is_open(peer.connection.get()) <= 0) {
      peer.connection = dbus::connectToAddress(peer.address, false);
    }
    if (peer.connection) {
      bool broken = false;
      bool noCache = false;
      const bool done =
          readWithCache(peer.connection.get(), nullptr, menuBar, deadline, result, broken, noCache);
      // A socket that broke or left calls unanswered may hold stale data: start afresh next time.
      if (broken || result.stats.deadlineHit) {
        peer.connection.reset();
        peer.asked = false;
        peer.address.clear();
      }
      if (done) {
        result.stats.peerToPeer = true;
        return;
      }
    }
  }
  if (result.stats.deadlineHit) return;
  bool broken = false;
  if (!peer.noCache &&
      readWithCache(bus.get(), app.c_str(), menuBar, deadline, result, broken, peer.noCache)) {
    return;
  }
  if (broken) {
    dropBus();
    return;
  }
  if (!result.stats.deadlineHit) readByLevels(app, menuBar, deadline, result);
}

// Every descendant in menu order and the cache's names, roles and parents in one batch, then
// every key binding in a second one. False when the toolkit offers no cache here.
bool AtspiReader::State::readWithCache(sd_bus* connection, const char* destination,
                                       const std::string& menuBar, Clock::time_point deadline,
                                       ReadResult& result, bool& broken, bool& noCache) {
  MenuReplies& r = result.replies;
  {
    Batch batch(connection, destination, deadline, options.maxCallsInFlight, result.stats);
    const int matches = batch.send(
        appendGetMatches(batch.message(menuBar.c_str(), kCollection, "GetMatches"), {}, 0));
    const int items = batch.call(kCachePath, kCache, "GetItems");
    batch.wait();
    broken = batch.broken();
    // Qt answers GetItems in an older form without order or the search: it has to be walked.
    if (!broken && !result.stats.deadlineHit &&
        (batch.reply(items) == nullptr ||
         sd_bus_message_has_signature(batch.reply(items), "a((so)(so)(so)iiassusau)") <= 0)) {
      noCache = true;
    }
    if (batch.reply(matches) == nullptr || batch.reply(items) == nullptr) return false;
    r.matches = readPaths(batch.reply(matches), options.maxNodes);
    r.cache = readCacheItems(batch.reply(items), {r.matches.begin(), r.matches.end()}, deadline);
    if (r.cache.empty() && !r.matches.empty()) {
      r.matches.clear();
      return false;
    }
  }
  result.stats.usedCache = true;
  Batch batch(connection, destination, deadline, options.maxCallsInFlight, result.stats);
  std::vector<int> calls(r.matches.size(), -1);
  std::unordered_map<std::string_view, const CacheItem*> byPath;
  for (const CacheItem& item : r.cache)
    byPath.emplace(item.path, &item);
  // Greyed-out items report no actions, yet answer for their key binding: ask every item but
  // separators, untitled objects (never shown) and the menu-bar items (mnemonics at most).
  for (std::size_t i = 0; i < r.matches.size(); ++i) {
    const auto found = byPath.find(r.matches[i]);
    if (found == byPath.end() || found->second->role == kRoleSeparator ||
        found->second->parent == menuBar ||
        found->second->name.find_first_not_of(" \t\r\n") == std::string::npos) {
      continue;
    }
    calls[i] =
        batch.send(appendInt(batch.message(r.matches[i].c_str(), kAction, "GetKeyBinding"), 0));
  }
  batch.wait();
  broken = broken || batch.broken();
  for (std::size_t i = 0; i < calls.size(); ++i) {
    std::string binding;
    if (readWhole(batch.reply(calls[i]), binding, keys::kMaxKeyBindingBytes) && !binding.empty()) {
      r.keyBindings.emplace(r.matches[i], std::move(binding));
    }
  }
  return true;
}

// One batch per level: children, name and key binding of every object of the level.
// Properties.GetAll is never used: it crashes some versions of Qt's bridge.
void AtspiReader::State::readByLevels(const std::string& app, const std::string& menuBar,
                                      Clock::time_point deadline, ReadResult& result) {
  MenuReplies& r = result.replies;
  std::unordered_set<std::string> seen{menuBar};
  std::vector<std::string> level{menuBar};
  std::size_t childBudget = 2 * options.maxNodes;
  for (std::size_t depth = 0; depth <= options.maxLevels && !level.empty(); ++depth) {
    Batch batch(bus.get(), app.c_str(), deadline, options.maxCallsInFlight, result.stats);
    struct Calls {
      int children, name, binding;
    };
    std::vector<Calls> calls;
    calls.reserve(level.size());
    for (const std::string& path : level) {
      const char* p = path.c_str();
      const int children = batch.call(p, kAccessible, "GetChildren");
      // Of the menu bar itself only its children are used, of its items only their names (their
      // key bindings are mnemonics at most). Roles are not read: every call costs the
      // application about the same, and an untitled node with children is a popup menu.
      if (depth == 0) {
        calls.push_back({children, -1, -1});
        continue;
      }
      MessagePtr name = batch.message(p, "org.freedesktop.DBus.Properties", "Get");
      if (name && sd_bus_message_append(name.get(), "ss", kAccessible, "Name") < 0) name.reset();
      const int nameCall = batch.send(std::move(name));
      calls.push_back(
          {children, nameCall,
           depth == 1 ? -1 : batch.send(appendInt(batch.message(p, kAction, "GetKeyBinding"), 0))});
    }
    batch.wait();
    std::vector<std::string> next;
    for (std::size_t i = 0; i < level.size(); ++i) {
      const std::string& path = level[i];
      // Children lists are kept up to twice the node bound in all: an application answering
      // every object with a huge list costs no more than that.
      if (sd_bus_message* m = batch.reply(calls[i].children)) {
        std::vector<std::string> kids = readPaths(m, std::min(options.maxNodes, childBudget));
        childBudget -= kids.size();
        for (const std::string& kid : kids) {
          if (seen.size() < options.maxNodes && seen.insert(kid).second) next.push_back(kid);
        }
        r.children[path] = std::move(kids);
      }
      std::string text;
      if (readVariantText(batch.reply(calls[i].name), text, kMaxTitleBytes)) r.names[path] = text;
      if (readWhole(batch.reply(calls[i].binding), text, keys::kMaxKeyBindingBytes) &&
          !text.empty()) {
        r.keyBindings[path] = text;
      }
    }
    if (batch.broken()) {
      dropBus();
      return;
    }
    if (result.stats.deadlineHit) return;
    level = std::move(next);
  }
}

}  // namespace tavrine::atspi
