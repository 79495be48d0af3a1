// SPDX-License-Identifier: MIT
#include "backends/linux/atspi/listener.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

#include "backends/linux/atspi/active_frame.h"
#include "backends/linux/atspi/keystrokes.h"
#include "backends/linux/atspi/names.h"
#include "backends/linux/dbus/bus_connection.h"
#include "backends/linux/dbus/name_owner.h"
#include "text/unicode.h"

namespace tavrine::atspi {
namespace {

constexpr const char* kRegistryPath = "/org/a11y/atspi/registry";
constexpr const char* kControllerPath = "/org/a11y/atspi/registry/deviceeventcontroller";
constexpr const char* kController = "org.a11y.atspi.DeviceEventController";
constexpr const char* kListener = "org.a11y.atspi.DeviceEventListener";
constexpr const char* kWindowEvents = "org.a11y.atspi.Event.Window";
constexpr const char* kDBus = "org.freedesktop.DBus";
constexpr const char* kDBusPath = "/org/freedesktop/DBus";

// The registry hands a key only to listeners whose mask equals the event's low eight modifier
// bits, so each mask takes a registration of its own.
constexpr std::uint32_t kMaskCount = 256;
constexpr std::int32_t kNoKeycode = -1;  // a key definition that matches no hardware keycode
constexpr std::uint32_t kPressAndRelease = (1U << 0) | (1U << 1);
constexpr std::uint64_t kCallTimeoutUsec = 1'000'000;
constexpr int kReconnectDelayMs = 1000;
constexpr std::size_t kMaxQueued = 4096;

struct FocusChange {};
using Item = std::variant<KeystrokeEvent, FocusChange>;

void wake(int fd) {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
}

void drain(int fd) {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = read(fd, &count, sizeof count);
}

}  // namespace

struct AtspiListener::Impl {
  std::string configuredAddress;
  int wakeMain = -1;    // readable when items are queued
  int stopThread = -1;  // readable when the thread is to end
  std::thread thread;
  bool started = false;
  keys::KeyHandlers handlers;
  KeystrokeTracker tracker;  // main thread

  mutable std::mutex mutex;  // guards what follows
  std::vector<Item> queue;
  std::optional<ActiveApplication> published;
  std::string uniqueName;

  // Thread only.
  sd_bus* bus = nullptr;
  ActiveFrameTracker frames;
  struct Known {
    std::optional<std::int32_t> pid;
    std::string name;
    bool asked = false;
  };
  std::unordered_map<std::string, Known> applications;
  bool registryLost = false;
  // Keys are taken only from the registry: any client of the bus can call the listener.
  std::optional<std::string> registryOwner;  // none until known; "" while nobody owns it
  // Window events only from applications the registry lists; an activation by one not listed
  // (yet) waits for the registry's next list.
  std::unordered_set<std::string> listed;
  std::optional<FrameRef> unlistedActivation;
  bool listing = false;

  ~Impl() {
    if (wakeMain >= 0) close(wakeMain);
    if (stopThread >= 0) close(stopThread);
  }

  void push(Item item) {
    {
      std::lock_guard lock(mutex);
      // A main thread stopped for long loses the oldest keys rather than memory.
      if (queue.size() >= kMaxQueued) queue.erase(queue.begin());
      queue.push_back(std::move(item));
    }
    wake(wakeMain);
  }

  void run();
  std::string address() const;
  bool serve(sd_bus* connection);
  void registerEverything();
  void scan();
  void frameChanged(const std::optional<FrameRef>& before);
  void publish();
  void resolve(const std::string& busName);
  void askRegistryOwner();
  void listApplications();
  void applicationsListed(sd_bus_message* reply);

  // An asynchronous call whose context is freed with its slot, answered or not.
  template <typename Context>
  bool callAsync(dbus::MessagePtr m, sd_bus_message_handler_t callback, Context* context);

  static int onMethod(sd_bus_message* m, void* userdata, sd_bus_error* error);
  static int onWindow(sd_bus_message* m, void* userdata, sd_bus_error* error);
  static int onOwnerChanged(sd_bus_message* m, void* userdata, sd_bus_error* error);
};

template <typename Context>
bool AtspiListener::Impl::callAsync(dbus::MessagePtr m, sd_bus_message_handler_t callback,
                                    Context* context) {
  sd_bus_slot* raw = nullptr;
  if (sd_bus_call_async(bus, &raw, m.get(), callback, context, kCallTimeoutUsec) < 0) {
    delete context;
    return false;
  }
  // Floating: the bus keeps the slot until the call ends, and the context with it.
  const dbus::SlotPtr slot(raw);
  sd_bus_slot_set_destroy_callback(raw, [](void* p) { delete static_cast<Context*>(p); });
  sd_bus_slot_set_floating(raw, 1);
  return true;
}

std::string AtspiListener::Impl::address() const {
  return configuredAddress.empty() ? dbus::accessibilityBusAddress(kCallTimeoutUsec)
                                   : configuredAddress;
}

void AtspiListener::Impl::run() {
  for (;;) {
    // The address comes from another process: connectToAddress refuses anything but a socket.
    if (const dbus::BusPtr connection = dbus::connectToAddress(address(), true)) {
      sd_bus_set_method_call_timeout(connection.get(), kCallTimeoutUsec);
      if (!serve(connection.get())) return;  // told to stop
    }
    {
      std::lock_guard lock(mutex);
      uniqueName.clear();
    }
    // No bus, or it went away: try again a little later, unless told to stop.
    pollfd stop{stopThread, POLLIN, 0};
    if (poll(&stop, 1, kReconnectDelayMs) > 0) return;
  }
}

// Handles the connection until it breaks (true) or the thread is told to stop (false).
bool AtspiListener::Impl::serve(sd_bus* connection) {
  bus = connection;
  // Nothing of an earlier connection holds: names and paths were of that bus.
  const std::optional<FrameRef> before = frames.active();
  frames = ActiveFrameTracker{};
  applications.clear();
  registryLost = false;
  registryOwner.reset();
  listed.clear();
  unlistedActivation.reset();
  listing = false;
  frameChanged(before);

  bool ok =
      sd_bus_add_object(bus, nullptr, AtspiListener::kListenerPath, &Impl::onMethod, this) >= 0 &&
      sd_bus_match_signal_async(bus, nullptr, nullptr, nullptr, kWindowEvents, "Activate",
                                &Impl::onWindow, &dbus::keepConnectionOnMatchInstall, this) >= 0 &&
      sd_bus_match_signal_async(bus, nullptr, nullptr, nullptr, kWindowEvents, "Deactivate",
                                &Impl::onWindow, &dbus::keepConnectionOnMatchInstall, this) >= 0 &&
      sd_bus_match_signal_async(bus, nullptr, kDBus, kDBusPath, kDBus, "NameOwnerChanged",
                                &Impl::onOwnerChanged, &dbus::keepConnectionOnMatchInstall,
                                this) >= 0;
  if (ok) {
    askRegistryOwner();
    registerEverything();
  }

  bool named = false;
  while (ok) {
    const int r = sd_bus_process(bus, nullptr);
    if (r < 0) break;
    if (!named) {
      const char* unique = nullptr;
      if (sd_bus_get_unique_name(bus, &unique) >= 0 && unique != nullptr) {
        std::lock_guard lock(mutex);
        uniqueName = unique;
        named = true;
      }
    }
    if (r > 0) continue;

    const int events = sd_bus_get_events(bus);
    if (events < 0) break;
    std::uint64_t until = UINT64_MAX;
    int timeoutMs = -1;
    if (sd_bus_get_timeout(bus, &until) >= 0 && until != UINT64_MAX) {
      timespec now{};
      clock_gettime(CLOCK_MONOTONIC, &now);
      const std::uint64_t nowUsec = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000U +
                                    static_cast<std::uint64_t>(now.tv_nsec) / 1000U;
      timeoutMs = until <= nowUsec ? 0 : static_cast<int>((until - nowUsec + 999) / 1000);
    }
    pollfd fds[2] = {{sd_bus_get_fd(bus), static_cast<short>(events), 0}, {stopThread, POLLIN, 0}};
    if (poll(fds, 2, timeoutMs) < 0 && errno != EINTR) break;
    if (fds[1].revents & POLLIN) {
      bus = nullptr;
      return false;
    }
  }
  bus = nullptr;
  return true;
}

// The registry waits for a listener's answer on every key it hands it, whatever the listener's
// mode, and Qt holds each key back until the registry has answered: a key that reaches us costs
// the application a round trip. Only the keys the hold needs are asked for (keysToHear), so that
// plain typing reaches no listener; pressed and released, not synchronous. Also the two window
// events. Done again whenever the registry restarts.
void AtspiListener::Impl::registerEverything() {
  for (const char* event : {"window:activate", "window:deactivate"}) {
    sd_bus_call_method_async(bus, nullptr, kRegistry, kRegistryPath, kRegistry, "RegisterEvent",
                             nullptr, nullptr, "s", event);
  }
  for (std::uint32_t mask = 0; mask < kMaskCount; ++mask) {
    sd_bus_message* m = nullptr;
    if (sd_bus_message_new_method_call(bus, &m, kRegistry, kControllerPath, kController,
                                       "RegisterKeystrokeListener") < 0) {
      break;
    }
    const dbus::MessagePtr call(m);
    // An empty key set is every key.
    bool ok = sd_bus_message_append(m, "o", AtspiListener::kListenerPath) >= 0 &&
              sd_bus_message_open_container(m, 'a', "(iisi)") >= 0;
    for (const NamedKey& key : keysToHear(mask)) {
      const std::string name(key.name);
      ok = ok && sd_bus_message_append(m, "(iisi)", kNoKeycode, key.keysym, name.c_str(), 0) >= 0;
    }
    ok = ok && sd_bus_message_close_container(m) >= 0 &&
         sd_bus_message_append(m, "uu(bbb)", mask, kPressAndRelease, 0, 0, 0) >= 0;
    // The answer is ignored: registryd 2.46 answers false even when it registered the listener.
    if (!ok || sd_bus_call_async(bus, nullptr, m, nullptr, nullptr, kCallTimeoutUsec) < 0) break;
  }
  scan();
}

// Every application's frames and their states, for the frame active before any event came.
void AtspiListener::Impl::scan() {
  struct Context {
    Impl* self;
    std::uint64_t scan;
    std::string busName;
    std::string path;
  };
  auto* apps = new Context{this, frames.scanStarted(), {}, {}};
  sd_bus_message* m = nullptr;
  if (sd_bus_message_new_method_call(bus, &m, kRegistry, kRootPath, kAccessible, "GetChildren") <
      0) {
    delete apps;
    return;
  }
  callAsync(
      dbus::MessagePtr(m),
      [](sd_bus_message* reply, void* userdata, sd_bus_error*) -> int {
        const auto& ctx = *static_cast<Context*>(userdata);
        ctx.self->applicationsListed(reply);
        if (sd_bus_message_is_method_error(reply, nullptr) || sd_bus_message_rewind(reply, 1) < 0 ||
            sd_bus_message_enter_container(reply, 'a', "(so)") <= 0) {
          return 0;
        }
        const char* name = nullptr;
        const char* path = nullptr;
        while (sd_bus_message_read(reply, "(so)", &name, &path) > 0) {
          sd_bus_message* children = nullptr;
          if (name == nullptr || name[0] != ':' ||
              sd_bus_message_new_method_call(ctx.self->bus, &children, name, kRootPath, kAccessible,
                                             "GetChildren") < 0) {
            continue;
          }
          ctx.self->callAsync(
              dbus::MessagePtr(children),
              [](sd_bus_message* r, void* u, sd_bus_error*) -> int {
                const auto& app = *static_cast<Context*>(u);
                if (sd_bus_message_is_method_error(r, nullptr) ||
                    sd_bus_message_enter_container(r, 'a', "(so)") <= 0) {
                  return 0;
                }
                const char* frameBus = nullptr;
                const char* framePath = nullptr;
                while (sd_bus_message_read(r, "(so)", &frameBus, &framePath) > 0) {
                  sd_bus_message* state = nullptr;
                  if (sd_bus_message_new_method_call(app.self->bus, &state, app.busName.c_str(),
                                                     framePath, kAccessible, "GetState") < 0) {
                    continue;
                  }
                  app.self->callAsync(
                      dbus::MessagePtr(state),
                      [](sd_bus_message* s, void* v, sd_bus_error*) -> int {
                        const auto& frame = *static_cast<Context*>(v);
                        const void* data = nullptr;
                        std::size_t size = 0;
                        if (sd_bus_message_is_method_error(s, nullptr) ||
                            sd_bus_message_read_array(s, 'u', &data, &size) < 0 ||
                            size < sizeof(std::uint32_t)) {
                          return 0;
                        }
                        const std::uint32_t low = *static_cast<const std::uint32_t*>(data);
                        if ((low & (1U << kStateActive)) == 0) return 0;
                        const std::optional<FrameRef> before = frame.self->frames.active();
                        if (frame.self->frames.scanFound(frame.scan, {frame.busName, frame.path})) {
                          frame.self->frameChanged(before);
                        }
                        return 0;
                      },
                      new Context{app.self, app.scan, app.busName, framePath});
                }
                return 0;
              },
              new Context{ctx.self, ctx.scan, name, {}});
        }
        return 0;
      },
      apps);
}

int AtspiListener::Impl::onMethod(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  auto& self = *static_cast<Impl*>(userdata);
  if (!sd_bus_message_is_method_call(m, kListener, "NotifyEvent")) return 0;
  const char* sender = sd_bus_message_get_sender(m);
  const bool fromRegistry = sender != nullptr && self.registryOwner.has_value() &&
                            !self.registryOwner->empty() && *self.registryOwner == sender;
  KeystrokeEvent event;
  std::uint32_t type = 0;
  std::int32_t timestamp = 0;
  const char* text = nullptr;
  int isText = 0;
  const bool read = sd_bus_message_read(m, "(uiuuisb)", &type, &event.keysym, &event.keycode,
                                        &event.modifiers, &timestamp, &text, &isText) > 0;
  // Not consumed: the application handles its key as if nobody listened. Answered before
  // anything else is done with it.
  sd_bus_reply_method_return(m, "b", 0);
  if (read && type <= 1 && fromRegistry) {
    event.type = static_cast<KeystrokeEvent::Type>(type);
    if (text != nullptr) event.text = text::clipToGraphemes(text, kMaxKeyNameBytes);
    self.push(std::move(event));
  }
  return 1;
}

int AtspiListener::Impl::onWindow(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
  auto& self = *static_cast<Impl*>(userdata);
  const char* sender = sd_bus_message_get_sender(m);
  const char* path = sd_bus_message_get_path(m);
  if (sender == nullptr || path == nullptr) return 0;
  const bool activate = sd_bus_message_is_signal(m, kWindowEvents, "Activate");
  const FrameRef frame{sender, path};
  if (!self.listed.contains(frame.busName)) {
    // Maybe an application that has just joined: the registry's list decides.
    if (activate) {
      self.unlistedActivation = frame;
      self.listApplications();
    } else if (self.unlistedActivation == frame) {
      self.unlistedActivation.reset();
    }
    return 0;
  }
  if (activate) self.unlistedActivation.reset();
  const std::optional<FrameRef> before = self.frames.active();
  const bool changed = activate ? self.frames.activated(frame) : self.frames.deactivated(frame);
  if (changed) self.frameChanged(before);
  return 0;
}

void AtspiListener::Impl::askRegistryOwner() {
  sd_bus_message* m = nullptr;
  if (sd_bus_message_new_method_call(bus, &m, kDBus, kDBusPath, kDBus, "GetNameOwner") < 0) return;
  dbus::MessagePtr call(m);
  if (sd_bus_message_append(m, "s", kRegistry) < 0) return;
  callAsync(
      std::move(call),
      [](sd_bus_message* reply, void* userdata, sd_bus_error*) -> int {
        Impl& self = **static_cast<Impl**>(userdata);
        const char* owner = nullptr;
        // A change seen meanwhile is newer than this answer.
        if (self.registryOwner) return 0;
        self.registryOwner = !sd_bus_message_is_method_error(reply, nullptr) &&
                                     sd_bus_message_read(reply, "s", &owner) > 0 && owner != nullptr
                                 ? owner
                                 : "";
        return 0;
      },
      new Impl*(this));
}

void AtspiListener::Impl::listApplications() {
  if (listing) return;
  sd_bus_message* m = nullptr;
  if (sd_bus_message_new_method_call(bus, &m, kRegistry, kRootPath, kAccessible, "GetChildren") <
      0) {
    return;
  }
  listing = callAsync(
      dbus::MessagePtr(m),
      [](sd_bus_message* reply, void* userdata, sd_bus_error*) -> int {
        Impl& self = **static_cast<Impl**>(userdata);
        self.listing = false;
        self.applicationsListed(reply);
        return 0;
      },
      new Impl*(this));
}

// The registry's applications; an activation waiting for them counts if it is among them.
void AtspiListener::Impl::applicationsListed(sd_bus_message* reply) {
  if (sd_bus_message_is_method_error(reply, nullptr) ||
      sd_bus_message_enter_container(reply, 'a', "(so)") <= 0) {
    return;
  }
  listed.clear();
  const char* name = nullptr;
  const char* path = nullptr;
  while (sd_bus_message_read(reply, "(so)", &name, &path) > 0) {
    if (name != nullptr && name[0] == ':') listed.emplace(name);
  }
  if (unlistedActivation && listed.contains(unlistedActivation->busName)) {
    const FrameRef frame = *std::exchange(unlistedActivation, std::nullopt);
    const std::optional<FrameRef> before = frames.active();
    if (frames.activated(frame)) frameChanged(before);
  }
}

int AtspiListener::Impl::onOwnerChanged(sd_bus_message* m, void* userdata,
                                        sd_bus_error* /*error*/) {
  auto& self = *static_cast<Impl*>(userdata);
  const char* name = nullptr;
  const char* from = nullptr;
  const char* to = nullptr;
  // A forgery would make its sender the registry, whose keys count, or leave nobody's counting.
  if (!dbus::isSentByBus(m) || sd_bus_message_read(m, "sss", &name, &from, &to) < 0 ||
      name == nullptr || from == nullptr || to == nullptr) {
    return 0;
  }
  if (std::string_view(name) == kRegistry) {
    self.registryOwner = to;
    // A registry that replaces one that was there knows no listener. One that merely starts
    // was started by the registrations themselves, which it receives: registering again would
    // have every key sent twice.
    if (*to == '\0') {
      self.registryLost = true;
    } else if (*from != '\0' || self.registryLost) {
      self.registryLost = false;
      self.registerEverything();
    }
    return 0;
  }
  if (name[0] != ':' || *to != '\0') return 0;
  self.applications.erase(name);
  self.listed.erase(name);
  if (self.unlistedActivation && self.unlistedActivation->busName == name) {
    self.unlistedActivation.reset();
  }
  const std::optional<FrameRef> before = self.frames.active();
  if (self.frames.applicationGone(name)) self.frameChanged(before);
  return 0;
}

void AtspiListener::Impl::frameChanged(const std::optional<FrameRef>& before) {
  const std::optional<FrameRef>& now = frames.active();
  // Keys held when another application takes the keyboard are released there, unseen here.
  if (before.has_value() != now.has_value() || (before && before->busName != now->busName)) {
    push(FocusChange{});
  }
  if (now) resolve(now->busName);
  publish();
}

// The process and the name of an application, asked once per bus name.
void AtspiListener::Impl::resolve(const std::string& busName) {
  Known& known = applications[busName];
  if (known.asked) return;
  known.asked = true;
  struct Context {
    Impl* self;
    std::string busName;
  };
  sd_bus_message* m = nullptr;
  sd_bus_message_new_method_call(bus, &m, kDBus, kDBusPath, kDBus, "GetConnectionUnixProcessID");
  dbus::MessagePtr pidCall(m);
  if (pidCall && sd_bus_message_append(m, "s", busName.c_str()) >= 0) {
    callAsync(
        std::move(pidCall),
        [](sd_bus_message* reply, void* userdata, sd_bus_error*) -> int {
          const auto& ctx = *static_cast<Context*>(userdata);
          std::uint32_t pid = 0;
          const auto found = ctx.self->applications.find(ctx.busName);
          if (found == ctx.self->applications.end() ||
              sd_bus_message_is_method_error(reply, nullptr) ||
              sd_bus_message_read(reply, "u", &pid) <= 0 || pid == 0 || pid > INT32_MAX) {
            return 0;
          }
          found->second.pid = static_cast<std::int32_t>(pid);
          ctx.self->publish();
          return 0;
        },
        new Context{this, busName});
  }
  m = nullptr;
  sd_bus_message_new_method_call(bus, &m, busName.c_str(), kRootPath,
                                 "org.freedesktop.DBus.Properties", "Get");
  dbus::MessagePtr nameCall(m);
  if (nameCall && sd_bus_message_append(m, "ss", kAccessible, "Name") >= 0) {
    callAsync(
        std::move(nameCall),
        [](sd_bus_message* reply, void* userdata, sd_bus_error*) -> int {
          const auto& ctx = *static_cast<Context*>(userdata);
          const char* name = nullptr;
          const auto found = ctx.self->applications.find(ctx.busName);
          if (found == ctx.self->applications.end() ||
              sd_bus_message_is_method_error(reply, nullptr) ||
              sd_bus_message_read(reply, "v", "s", &name) <= 0 || name == nullptr) {
            return 0;
          }
          found->second.name = text::clipToGraphemes(name, kMaxTitleBytes);
          ctx.self->publish();
          return 0;
        },
        new Context{this, busName});
  }
}

void AtspiListener::Impl::publish() {
  std::optional<ActiveApplication> app;
  if (const std::optional<FrameRef>& frame = frames.active()) {
    app = ActiveApplication{frame->busName, std::nullopt, {}};
    if (const auto found = applications.find(frame->busName); found != applications.end()) {
      app->pid = found->second.pid;
      app->name = found->second.name;
    }
  }
  std::lock_guard lock(mutex);
  published = std::move(app);
}

AtspiListener::AtspiListener(std::string busAddress) : impl_(std::make_unique<Impl>()) {
  impl_->configuredAddress = std::move(busAddress);
}

AtspiListener::~AtspiListener() {
  if (impl_->thread.joinable()) {
    wake(impl_->stopThread);
    impl_->thread.join();
  }
}

bool AtspiListener::start(keys::KeyHandlers handlers) {
  Impl& s = *impl_;
  if (s.started) return true;
  s.wakeMain = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  s.stopThread = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (s.wakeMain < 0 || s.stopThread < 0) return false;
  s.handlers = std::move(handlers);
  try {
    s.thread = std::thread([&s] { s.run(); });
  } catch (const std::system_error&) {
    return false;
  }
  s.started = true;
  return true;
}

bool AtspiListener::isStarted() const {
  return impl_->started;
}

int AtspiListener::fileDescriptor() const {
  return impl_->started ? impl_->wakeMain : -1;
}

void AtspiListener::dispatchPending() {
  Impl& s = *impl_;
  if (!s.started) return;
  drain(s.wakeMain);
  std::vector<Item> items;
  {
    std::lock_guard lock(s.mutex);
    items.swap(s.queue);
  }
  for (const Item& item : items) {
    const bool focus = std::holds_alternative<FocusChange>(item);
    const KeystrokeTracker::Outcome outcome =
        focus ? s.tracker.focusChanged() : s.tracker.handle(std::get<KeystrokeEvent>(item));
    if (focus && s.handlers.frontChanged) s.handlers.frontChanged();
    switch (outcome.kind) {
      case KeystrokeTracker::Kind::flagsChanged:
        if (s.handlers.flagsChanged) s.handlers.flagsChanged(outcome.flags);
        break;
      case KeystrokeTracker::Kind::keyDown:
        if (s.handlers.keyDown) s.handlers.keyDown(outcome.flags);
        break;
      case KeystrokeTracker::Kind::none:
        break;
    }
  }
}

modifier::Flags AtspiListener::flags() const {
  return impl_->tracker.flags();
}

std::optional<AtspiListener::ActiveApplication> AtspiListener::activeApplication() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->published;
}

std::string AtspiListener::uniqueName() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->uniqueName;
}

}  // namespace tavrine::atspi
