// SPDX-License-Identifier: MIT
// The GNOME Shell feed against a scripted shell on a real session bus (dbus-daemon): what the
// extension sends reaches the handlers and the workspace, what anybody else sends does not, and
// the feed follows the shell's name as it comes and goes.
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "backends/linux/gnome/shell_feed.h"
#include "backends/linux/gnome/shell_workspace.h"
#include "bus_peer.h"
#include "support/fake_platform.h"
#include "test_servers.h"

namespace tavrine::gnome {
namespace {

using namespace std::chrono_literals;
using Extension = ShellFeed::Extension;
constexpr modifier::Flags kCmd = modifier::kPrimary;
constexpr modifier::Flags kAll =
    modifier::kShift | modifier::kCapsLock | kCmd | modifier::kAlt | modifier::kControl;

// A client of the test's session bus; as the shell, it owns org.gnome.Shell and, with the
// extension, answers Subscribe at the extension's path.
class Peer {
 public:
  // `failure`: the error Subscribe answers with, none for success.
  explicit Peer(bool shell, bool extension = true, const char* failure = nullptr,
                const std::string& address = doubles::sessionBusAddress()) {
    peer_.setHandler([=, this](const doubles::Call& call) -> sd_bus_message* {
      if (call.path != ShellFeed::kPath || call.member != "Subscribe") return doubles::error(call);
      subscriber_ = sd_bus_message_get_sender(call.message);
      if (!extension) return doubles::error(call);
      if (std::exchange(silentOnce, false)) return nullptr;  // never answered
      sd_bus_message* r = nullptr;
      if (failure == nullptr) return doubles::reply(call);
      sd_bus_message_new_method_errorf(call.message, &r, failure, "busy");
      return r;
    });
    connected_ = peer_.join(address) == 0 && (!shell || peer_.own(0, ShellFeed::kShellName));
  }
  bool connected() const { return connected_; }
  const std::string& subscriber() const { return subscriber_; }
  void process() { peer_.process(); }
  void releaseName() {
    peer_.call(0, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
               "ReleaseName", "s", ShellFeed::kShellName);
  }
  bool silentOnce = false;  // the first Subscribe goes unanswered

  // A signal of the extension's interface to `to` (empty: to everyone).
  template <class... Args>
  void emit(const std::string& to, const char* member, const char* types = "", Args... args) {
    peer_.sendSignal(0, to, ShellFeed::kPath, ShellFeed::kInterface, member, types, args...);
  }
  void modifiers(const std::string& to, std::uint32_t held) { emit(to, "Modifiers", "u", held); }

 private:
  doubles::BusPeer peer_;
  bool connected_ = false;
  std::string subscriber_;
};

struct Heard {
  // 'f' flags changed, 'k' key down, 'a' another application in front
  std::vector<std::pair<char, modifier::Flags>> events;
  keys::KeyHandlers handlers() {
    return {[this](modifier::Flags f) { events.emplace_back('f', f); },
            [this](modifier::Flags f) { events.emplace_back('k', f); },
            [this] { events.emplace_back('a', 0); }};
  }
};

// Runs the feed and the peers until `done` holds; false after `limit`.
bool pumpUntil(ShellFeed& feed, std::vector<Peer*> peers, const std::function<bool()>& done,
               std::chrono::milliseconds limit = 3s) {
  return doubles::eventually(
      [&] {
        for (Peer* peer : peers)
          peer->process();
        feed.dispatchPending();
        return done();
      },
      limit);
}

// For running the peers a while and then looking: nothing should have come.
const std::function<bool()> never = [] { return false; };

TEST(ShellFeedTest, OnlyTheShellsKeysAndFocusReachTheHandlersAndTheWorkspace) {
  if (doubles::sessionBusAddress().empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  Peer shell(true);
  Peer impostor(false);
  ASSERT_TRUE(shell.connected() && impostor.connected());
  doubles::FakeWorkspace accessible;
  accessible.frontmost = RunningApplication{77, "Mousepad", nullptr, {}, {}, {}, {}};
  accessible.flags = modifier::kShift;
  dbus::SessionBus bus(doubles::sessionBusAddress());
  ShellFeed feed(bus);
  ShellWorkspace workspace(feed, accessible,
                           [](std::int32_t, const std::string&) { return ImageRef(); });
  // Before the extension says anything, the accessibility side answers.
  EXPECT_EQ(workspace.frontmostApplication()->processIdentifier, 77);

  Heard heard;
  std::vector<Extension> changes;
  feed.onExtensionChanged([&changes](Extension e) { changes.push_back(e); });
  ASSERT_TRUE(feed.start(heard.handlers()));
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.extension() == Extension::present; }));
  EXPECT_EQ(changes, std::vector<Extension>{Extension::present});
  const std::string me = shell.subscriber();
  const char* holder = nullptr;  // of Tavrine's name: the one connection the extension serves
  sd_bus_get_unique_name(bus.connection(), &holder);
  ASSERT_EQ(me, holder ? holder : "");

  impostor.modifiers(me, 4);
  impostor.emit(me, "Key");
  impostor.emit(me, "Focus", "uss", 666U, "evil", "Evil");
  impostor.emit(me, "Stopped");
  shell.emit(me, "Key");  // sent after them: once it is heard, so would they have been
  ASSERT_TRUE(pumpUntil(feed, {&shell, &impostor}, [&] { return !heard.events.empty(); }));
  EXPECT_EQ(heard.events, (std::vector<std::pair<char, modifier::Flags>>{{'k', 0}}));
  EXPECT_EQ(feed.focusedWindow(), std::nullopt);
  EXPECT_EQ(feed.extension(), Extension::present);
  heard.events.clear();
  shell.modifiers(me, 4);  // Ctrl alone
  shell.emit(me, "Key");
  shell.modifiers(me, 1 | 2 | 4 | 8 | 16);  // every other modifier bit joins
  shell.emit(me, "Focus", "uss", 4242U, "org.gnome.TextEditor", "Text Editor");
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.focusedWindow().has_value(); }));
  EXPECT_EQ(heard.events, (std::vector<std::pair<char, modifier::Flags>>{
                              {'f', kCmd}, {'k', kCmd}, {'f', kAll}, {'a', 0}}));
  const std::optional<RunningApplication> app = workspace.frontmostApplication();
  ASSERT_TRUE(app);
  EXPECT_EQ(app->processIdentifier, 4242);
  EXPECT_EQ(app->localizedName, "Text Editor");
  EXPECT_EQ(workspace.modifierFlags(), kAll);
  // A shell that names no application: the WM class stands in. No window: no application.
  shell.emit(me, "Focus", "uss", 99U, "org.gnome.Calculator", "");
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.focusedWindow()->pid == 99; }));
  EXPECT_EQ(workspace.frontmostApplication()->localizedName, "org.gnome.Calculator");
  shell.emit(me, "Focus", "uss", 0U, "", "");
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.focusedWindow()->pid == 0; }));
  EXPECT_FALSE(workspace.frontmostApplication().has_value());

  // Switched off: the keys it reported held are let go, and the other side answers again.
  heard.events.clear();
  shell.emit(me, "Stopped");
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.extension() == Extension::absent; }));
  EXPECT_EQ(heard.events, (std::vector<std::pair<char, modifier::Flags>>{{'f', 0}}));
  EXPECT_EQ(workspace.frontmostApplication()->processIdentifier, 77);
  // Switched on again: it says so to everyone, and the feed subscribes anew.
  shell.emit("", "Ready");
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.extension() == Extension::present; }));

  // The shell leaves the name: what it held is let go and its signals are no longer believed.
  shell.modifiers(me, 4);
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.flags() == kCmd; }));
  shell.releaseName();
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.extension() == Extension::unknown; }));
  EXPECT_EQ(feed.flags(), 0u);
  heard.events.clear();
  shell.emit(me, "Key");
  impostor.emit(me, "Key");
  pumpUntil(feed, {&shell, &impostor}, never, 300ms);
  EXPECT_TRUE(heard.events.empty());
}

// A shell without the extension is told apart from one whose extension fails or is too busy to
// answer (asked again), and a listener that comes after the answer is told too.
TEST(ShellFeedTest, AShellWithoutTheExtensionIsToldApartFromAFailingOne) {
  if (doubles::sessionBusAddress().empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  const struct {
    bool extension, silentOnce;
    const char* failure;
    Extension expected;
  } cases[] = {{true, false, "org.freedesktop.DBus.Error.Failed", Extension::unknown},
               {true, true, nullptr, Extension::present},
               {false, false, nullptr, Extension::absent}};
  for (const auto& c : cases) {
    Peer shell(true, c.extension, c.failure);
    ASSERT_TRUE(shell.connected());
    shell.silentOnce = c.silentOnce;
    dbus::SessionBus bus(doubles::sessionBusAddress());
    ShellFeed feed(bus, 200'000);
    ASSERT_TRUE(feed.start({}));
    ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return !shell.subscriber().empty(); }));
    const auto answered = [&] { return feed.extension() != Extension::unknown; };
    pumpUntil(feed, {&shell}, answered, 1s);
    EXPECT_EQ(feed.extension(), c.expected);
    std::vector<Extension> changes;
    feed.onExtensionChanged([&changes](Extension e) { changes.push_back(e); });
    EXPECT_EQ(changes.size(), c.expected == Extension::unknown ? 0u : 1u);
  }
}

TEST(ShellFeedTest, ABusThatGoesAwayLetsGoOfEverythingAndIsNoLongerWatched) {
  doubles::ServerProcess daemon;
  const std::string address = doubles::startSessionBus(daemon);
  if (address.empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  Peer shell(true, true, nullptr, address);
  dbus::SessionBus bus(address);
  ShellFeed feed(bus);
  Heard heard;
  ASSERT_TRUE(feed.start(heard.handlers()));
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.extension() == Extension::present; }));
  shell.modifiers(shell.subscriber(), 4);
  ASSERT_TRUE(pumpUntil(feed, {&shell}, [&] { return feed.flags() == kCmd; }));
  EXPECT_GE(feed.fileDescriptor(), 0);

  daemon.stop();
  ASSERT_TRUE(pumpUntil(feed, {}, [&] { return feed.fileDescriptor() < 0; }));
  EXPECT_EQ(heard.events.back(), std::make_pair('f', modifier::Flags{0}));
  EXPECT_EQ(feed.extension(), Extension::unknown);
}

}  // namespace
}  // namespace tavrine::gnome
