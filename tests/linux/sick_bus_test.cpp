// SPDX-License-Identifier: MIT
// Sick buses: a session bus that accepts and never answers costs each request a bounded wait,
// and a session bus, accessibility launcher or registry that restarts is joined again with no
// restart of the program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "notification_server.h"
#include "platform/linux/atspi/listener.h"
#include "platform/linux/dbus/a11y_bus_trust.h"
#include "platform/linux/dbus/bus_connection.h"
#include "platform/linux/dbus/desktop_notification.h"
#include "platform/linux/dbus/session_bus.h"
#include "platform/linux/dbus/single_instance.h"
#include "test_servers.h"

namespace tavrine {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using dbus::SessionBus;
using dbus::SingleInstance;
using Claim = SingleInstance::Claim;

constexpr const char* kName = "io.github.tavrine.SickBusTest";
// Our call timeout with room for a loaded machine; sd-bus's own handshake limit is 25 s.
constexpr auto kBound = 1s;

// A Unix socket that takes connections (the kernel completes them) and never reads a byte.
class SilentBus {
 public:
  SilentBus() : path_(doubles::makeTemporaryDirectory() + "/silent") {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::strncpy(where.sun_path, path_.c_str(), sizeof where.sun_path - 1);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || listen(fd_, 64) != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~SilentBus() {
    if (fd_ >= 0) close(fd_);
  }
  bool isListening() const { return fd_ >= 0; }
  std::string address() const { return "unix:path=" + path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

// Sets (or, with null, removes) an environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

Clock::duration timed(const std::function<void()>& run) {
  const auto start = Clock::now();
  run();
  return Clock::now() - start;
}

void report(const char* what, Clock::duration took) {
  std::printf(
      "  %-44s %5lld ms\n", what,
      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

template <typename T>
T eventually(const std::function<T()>& read, const T& wanted, Clock::duration within = 10s) {
  const auto deadline = Clock::now() + within;
  T value = read();
  while (value != wanted && Clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
    value = read();
  }
  return value;
}

TEST(SickBusTest, EveryRequestToABusThatNeverAnswersIsBounded) {
  SilentBus silent;
  ASSERT_TRUE(silent.isListening());
  const std::string lock = doubles::makeTemporaryDirectory() + "/tavrine.lock";

  Clock::duration took{};
  {
    SessionBus bus(silent.address());
    took = timed([&] { EXPECT_EQ(SingleInstance().claim(bus, kName, lock), Claim::first); });
    report("one-instance check (falls back to the lock)", took);
    EXPECT_LT(took, kBound);
  }
  {
    SessionBus bus(silent.address());
    dbus::A11yBusTrust trust(bus);
    took = timed([&] { EXPECT_FALSE(trust.isProcessTrustedWithPrompt()); });
    report("accessibility switch", took);
    EXPECT_LT(took, kBound);
    // Tried again only after a pause: every poll tick would cost the main thread the timeout.
    took = timed([&] { EXPECT_FALSE(trust.isProcessTrusted()); });
    report("trust check right after", took);
    EXPECT_LT(took, 50ms);
  }
  {
    SessionBus bus(silent.address());
    dbus::DesktopNotifications notifications(bus);
    took = timed([&] { notifications.notify("Tavrine", "", "summary", "body", {}, {}); });
    report("notification", took);
    EXPECT_LT(took, kBound);
  }

  // The user's session bus as the program opens it, and the accessibility bus address that the
  // reader and the listener's thread look up there.
  const ScopedEnv session("DBUS_SESSION_BUS_ADDRESS", silent.address().c_str());
  const ScopedEnv atspi("AT_SPI_BUS_ADDRESS", nullptr);
  took = timed([] { EXPECT_EQ(SessionBus().connection(), nullptr); });
  report("user's session bus", took);
  EXPECT_LT(took, kBound);
  took = timed([] { EXPECT_EQ(dbus::accessibilityBusAddress(200'000), ""); });
  report("accessibility bus address", took);
  EXPECT_LT(took, kBound);
  took = timed([] {
    atspi::AtspiListener listener;
    ASSERT_TRUE(listener.start({[](modifier::Flags) {}, [](modifier::Flags) {}}));
    std::this_thread::sleep_for(50ms);  // into its lookup
  });
  report("keystroke listener started and stopped", took);
  EXPECT_LT(took, 2 * kBound) << "the listener's own calls wait up to 1 s";
}

// A session bus of the test's own, at an address that stays when it restarts.
struct PrivateBus {
  std::string dir = doubles::makeTemporaryDirectory();
  doubles::ServerProcess daemon;
  // The address without the daemon's guid, which a client checks: a restarted daemon has another.
  std::string start() {
    const std::string address = "unix:path=" + dir + "/bus";
    const std::string printed = daemon.start(
        {"dbus-daemon", "--session", "--nofork", "--address=" + address, "--print-address={fd}"},
        {"DISPLAY", "XDG_RUNTIME_DIR=" + dir}, dir + "/dbus.log");
    return printed.empty() ? printed : address;
  }
};

// org.a11y.Bus's IsEnabled, answered from a thread until told to fall silent; it can announce a
// change as the launcher does.
class FakeLauncher {
 public:
  explicit FakeLauncher(const std::string& address) : bus_(address) {
    ok_ = bus_.connection() != nullptr &&
          sd_bus_request_name(bus_.connection(), "org.a11y.Bus", 0) >= 0 &&
          sd_bus_add_object(bus_.connection(), nullptr, "/org/a11y/bus", &FakeLauncher::onCall,
                            this) >= 0;
    thread_ = std::thread([this] {
      while (running_) {
        if (answering_) bus_.processPending();
        if (announce_.exchange(false)) {
          sd_bus_message* m = nullptr;
          sd_bus_message_new_signal(bus_.connection(), &m, "/org/a11y/bus",
                                    "org.freedesktop.DBus.Properties", "PropertiesChanged");
          sd_bus_message_append(m, "sa{sv}as", "org.a11y.Status", 1, "IsEnabled", "b",
                                enabled_.load() ? 1 : 0, 0);
          sd_bus_send(bus_.connection(), m, nullptr);
          sd_bus_message_unref(m);
          sd_bus_flush(bus_.connection());
        }
        std::this_thread::sleep_for(2ms);
      }
    });
  }
  ~FakeLauncher() {
    running_ = false;
    thread_.join();
  }
  bool isServing() const { return ok_; }
  void fallSilent() { answering_ = false; }
  void announce(bool enabled) {
    enabled_ = enabled;
    announce_ = true;
  }

 private:
  static int onCall(sd_bus_message* m, void* userdata, sd_bus_error*) {
    if (!sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Get")) return 0;
    return sd_bus_reply_method_return(
        m, "v", "b", static_cast<FakeLauncher*>(userdata)->enabled_.load() ? 1 : 0);
  }

  SessionBus bus_;
  bool ok_ = false;
  std::atomic<bool> running_ = true;
  std::atomic<bool> answering_ = true;
  std::atomic<bool> announce_ = false;
  std::atomic<bool> enabled_ = false;
  std::thread thread_;
};

// The permission poll asks every second: after the first answer no check waits for the
// launcher, and a switch announced by the launcher is seen at the next check.
TEST(SickBusTest, TrustChecksAfterTheFirstNeverWaitForTheLauncher) {
  PrivateBus session;
  const std::string address = session.start();
  if (address.empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  FakeLauncher launcher(address);
  ASSERT_TRUE(launcher.isServing());
  SessionBus bus(address);
  dbus::A11yBusTrust trust(bus);
  EXPECT_FALSE(trust.isProcessTrusted());

  launcher.fallSilent();
  Clock::duration slowest{};
  for (int tick = 0; tick < 5; ++tick) {
    slowest = std::max(slowest, timed([&] { EXPECT_FALSE(trust.isProcessTrusted()); }));
  }
  report("trust check, launcher silent (slowest of 5)", slowest);
  EXPECT_LT(slowest, 50ms);

  launcher.announce(true);  // switched on in the desktop's settings
  EXPECT_TRUE(eventually<bool>([&] { return trust.isProcessTrusted(); }, true, 2s));
}

TEST(SickBusTest, ASessionBusThatRestartsIsJoinedAgain) {
  PrivateBus session;
  const std::string dir = session.dir;
  doubles::ServerProcess& daemon = session.daemon;
  const auto startDaemon = [&] { return session.start(); };
  const std::string address = startDaemon();
  if (address.empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  const std::string lock = dir + "/unused.lock";

  SessionBus bus(address);
  SingleInstance instance;
  int lost = 0;
  instance.onLost([&] { ++lost; });
  ASSERT_EQ(instance.claim(bus, kName, lock), Claim::first);
  dbus::DesktopNotifications notifications(bus);
  std::vector<sd_bus*> told;
  bus.watchConnections(&told, [&](sd_bus* connection) { told.push_back(connection); });

  daemon.stop();
  ASSERT_EQ(startDaemon(), address);
  bus.processPending();
  EXPECT_FALSE(bus.isOpen());
  ASSERT_NE(bus.connection(), nullptr);
  // Those who watch the descriptor let go of it before it closes, and hear of the new one.
  EXPECT_EQ(told, (std::vector<sd_bus*>{nullptr, bus.connection()}));
  bus.forget(&told);

  // The name is held again: a program started now is turned away.
  SessionBus other(address);
  EXPECT_EQ(SingleInstance().claim(other, kName, dir + "/other.lock"), Claim::alreadyRunning);
  EXPECT_EQ(lost, 0);

  // A notification sent on the new connection hears its action.
  doubles::NotificationServer server(address, 0ms);
  std::vector<std::string> chosen;
  ASSERT_TRUE(notifications.notify("Tavrine", "", "summary", "body", {{"accessibility", "On"}},
                                   [&](const std::string& key) { chosen.push_back(key); }));
  const auto pump = [&] {
    bus.processPending();
    return chosen.size();
  };
  ASSERT_TRUE(server.isServing());
  ASSERT_EQ(eventually<std::size_t>([&] { return server.notified(); }, 1), 1u);
  server.invoke(7, "accessibility");
  EXPECT_EQ(eventually<std::size_t>(pump, 1), 1u);

  // The name taken by another program while the bus was away: this one hears it.
  daemon.stop();
  ASSERT_EQ(startDaemon(), address);
  SessionBus taker(address);
  ASSERT_EQ(SingleInstance().claim(taker, kName, dir + "/taker.lock"), Claim::first);
  bus.processPending();
  bus.connection();
  EXPECT_EQ(lost, 1);
}

// The accessibility bus launcher, with its bus and registry, goes away and comes back: the
// keystroke listener joins the new bus, and the trust is read from the new launcher.
TEST(SickBusTest, AnAccessibilityBusThatRestartsIsJoinedAgain) {
  constexpr const char* kLauncher = "/usr/libexec/at-spi-bus-launcher";
  const std::string& address = doubles::sessionBusAddress();
  if (address.empty() || access(kLauncher, X_OK) != 0)
    GTEST_SKIP() << "dbus-daemon or at-spi2-core is not installed";
  const ScopedEnv session("DBUS_SESSION_BUS_ADDRESS", address.c_str());
  const ScopedEnv atspi("AT_SPI_BUS_ADDRESS", nullptr);
  SessionBus bus(address);
  const auto launcherPid = [&]() -> pid_t {
    sd_bus_creds* creds = nullptr;
    pid_t pid = 0;
    // Starts it when needed, waiting as long as that takes.
    sd_bus_call_method(bus.connection(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                       "org.freedesktop.DBus", "StartServiceByName", nullptr, nullptr, "su",
                       "org.a11y.Bus", 0U);
    if (sd_bus_get_name_creds(bus.connection(), "org.a11y.Bus", SD_BUS_CREDS_PID, &creds) >= 0)
      sd_bus_creds_get_pid(creds, &pid);
    sd_bus_creds_unref(creds);
    return pid;
  };
  const pid_t first = launcherPid();
  ASSERT_GT(first, 0);
  dbus::A11yBusTrust trust(bus);
  trust.isProcessTrustedWithPrompt();
  ASSERT_TRUE(trust.isProcessTrusted());

  atspi::AtspiListener listener;
  ASSERT_TRUE(listener.start({[](modifier::Flags) {}, [](modifier::Flags) {}}));
  const std::string joined = eventually<std::string>(
      [&] { return listener.uniqueName().empty() ? std::string() : std::string("joined"); },
      "joined");
  ASSERT_EQ(joined, "joined");

  kill(first, SIGTERM);
  ASSERT_EQ(eventually<bool>([&] { return listener.uniqueName().empty(); }, true), true);
  // The new launcher starts switched off, as the desktop's setting says.
  pid_t second = launcherPid();
  for (int i = 0; i < 250 && (second == first || second <= 0); ++i) {
    std::this_thread::sleep_for(20ms);
    second = launcherPid();
  }
  ASSERT_GT(second, 0);
  ASSERT_NE(second, first);
  EXPECT_FALSE(eventually<bool>([&] { return trust.isProcessTrusted(); }, false));
  EXPECT_EQ(eventually<bool>([&] { return !listener.uniqueName().empty(); }, true, 15s), true)
      << "the listener joined the new accessibility bus";
}

}  // namespace
}  // namespace tavrine
