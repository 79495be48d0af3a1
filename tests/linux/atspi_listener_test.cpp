// SPDX-License-Identifier: MIT
// Keys and the active frame as the accessibility bus reports them: recorded GTK 3 and Qt 6
// event sequences (mousepad and the menu application under weston), and the listener on a bus.
#include <gtest/gtest.h>
#include <malloc.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "backends/linux/atspi/active_frame.h"
#include "backends/linux/atspi/keystrokes.h"
#include "backends/linux/atspi/listener.h"
#include "backends/linux/atspi/names.h"
#include "backends/linux/dbus/bus_connection.h"
#include "backends/linux/key_source.h"
#include "bus_peer.h"
#include "support/golden_cases.h"
#include "test_servers.h"

#ifdef __SANITIZE_ADDRESS__
// GCC does not ship this header of the sanitizer runtime; the runtime has the function.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace tavrine::atspi {
namespace {

using namespace std::chrono_literals;
using Kind = KeystrokeTracker::Kind;
using Outcome = KeystrokeTracker::Outcome;
constexpr auto kPress = KeystrokeEvent::Type::press;
constexpr auto kRelease = KeystrokeEvent::Type::release;
constexpr modifier::Flags kCmd = modifier::kPrimary;

TEST(KeystrokeTrackerTest, RecordedSequences) {
  std::optional<KeystrokeTracker> tracker;
  std::string name;
  int events = 0;
  for (const auto& row : doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/keystrokes.tsv")) {
    if (row[0] == "case") {
      tracker.emplace();
      name = row.at(1);
      continue;
    }
    ASSERT_TRUE(row.size() == 7 && tracker) << row[0];
    const auto number = [&](int field) {
      return row[field].empty() ? 0 : std::stoul(row[field], nullptr, 0);
    };
    const KeystrokeEvent event{
        row[0] == "press" ? kPress : kRelease, static_cast<std::int32_t>(number(1)),
        static_cast<std::uint32_t>(number(2)), static_cast<std::uint32_t>(number(3)), row[4]};
    const Kind kind = row[5] == "flags" ? Kind::flagsChanged
                      : row[5] == "key" ? Kind::keyDown
                                        : Kind::none;
    ++events;
    EXPECT_EQ(row[0] == "focus" ? tracker->focusChanged() : tracker->handle(event),
              (Outcome{kind, doubles::flagsNamed(row[6])}))
        << name << ", event " << events;
  }
  EXPECT_EQ(events, 38);
}

// As the registry matches: the mask equal, the key in the set (an empty set is every key).
TEST(KeystrokeTrackerTest, HearsEveryKeyUnderCtrlAndOnlyModifiersOtherwise) {
  const auto heard = [](std::int32_t keysym, std::uint32_t mask) {
    const auto keys = keysToHear(mask);
    return keys.empty() || std::ranges::any_of(keys, [&](auto k) { return k.keysym == keysym; });
  };
  for (const std::uint32_t mask : {0u, 0x1u, 0x2u, 0x10u, 0x11u}) {
    EXPECT_FALSE(heard('a', mask) || heard(0xff0d, mask)) << mask;  // typing, Return
    EXPECT_TRUE(heard(0xffe3, mask) && heard(0xffe4, mask) && heard(0xffe1, mask)) << mask;
    EXPECT_TRUE(heard('a', mask | 0x4) && heard(0xffe1, mask | 0x4)) << mask;
  }
}

TEST(KeyFeedJoinTest, AKeySeenByBothFeedsCountsOnce) {
  keys::FeedJoin join;
  const auto t = keys::FeedJoin::Clock::now();
  const auto rows = doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/feed_join.tsv");
  ASSERT_EQ(rows.size(), 14u);
  for (const auto& r : rows) {
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(join.admit(std::stoi(r[0]), r[1] == "flags", doubles::flagsNamed(r[2]),
                         t + std::chrono::milliseconds(std::stoi(r[3]))),
              r[4] == "yes")
        << r[0] << " " << r[1] << " at " << r[3] << " ms";
  }
}

TEST(ActiveFrameTrackerTest, RecordedFocusChanges) {
  const std::map<std::string, std::optional<FrameRef>> frames = {
      {"main", FrameRef{":1.0", "/org/a11y/atspi/accessible/127"}},
      {"dialog", FrameRef{":1.0", "/org/a11y/atspi/accessible/452"}},
      {"qt", FrameRef{":1.6", "/org/a11y/atspi/accessible/2"}},
      {"none", std::nullopt}};
  ActiveFrameTracker t;
  std::vector<std::uint64_t> scans;
  int line = 0;
  for (const auto& row : doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/focus_changes.tsv")) {
    ASSERT_EQ(row.size(), 3u);
    ++line;
    const std::string& event = row[0];
    if (event == "scan") {
      scans.push_back(t.scanStarted());
      continue;
    }
    if (event == "active") {
      EXPECT_EQ(t.active(), frames.at(row[2])) << "line " << line;
      continue;
    }
    const bool changed = event == "gone"        ? t.applicationGone(row[1])
                         : event == "found"     ? t.scanFound(scans.at(std::stoul(row[1]) - 1),
                                                              *frames.at(row[1].substr(2)))
                         : event == "activated" ? t.activated(*frames.at(row[1]))
                                                : t.deactivated(*frames.at(row[1]));
    EXPECT_EQ(changed, row[2] == "yes") << "line " << line << ": " << event << " " << row[1];
  }
  EXPECT_EQ(line, 31);
}

// Bytes the allocator has handed out and not taken back.
std::size_t heapInUse() {
#ifdef __SANITIZE_ADDRESS__
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks + mallinfo2().hblkhd;
#endif
}

// Any client of the accessibility bus can call the listener and announce windows: keys count
// only from the registry, window events only from the applications it lists. Keys are answered
// at once and never consumed while the main thread is away; their text may be of any length: the
// keys queued meanwhile keep only a key name of it.
TEST(AtspiListenerTest, TrustsOnlyTheRegistryAndTheApplicationsItLists) {
  doubles::HostileBus peer;
  if (!peer.start()) GTEST_SKIP() << "dbus-daemon is not installed";
  ASSERT_TRUE(peer.control("Mode", "s", "huge"));  // the application's name too
  AtspiListener listener(peer.address());
  std::vector<std::pair<bool, modifier::Flags>> seen;  // (flags change, word)
  int fronts = 0;
  ASSERT_TRUE(
      listener.start({[&](modifier::Flags f) { seen.emplace_back(true, f); },
                      [&](modifier::Flags f) { seen.emplace_back(false, f); }, [&] { ++fronts; }}));
  const auto ctrl = [&](std::uint32_t type, bool fake) {
    ASSERT_TRUE(peer.control("Key", "uusb", type, 0xffe3u, "Control_L", fake));
    std::this_thread::sleep_for(20ms);
    listener.dispatchPending();
  };
  // Until the listener has registered and learnt who the registry is.
  ASSERT_TRUE(doubles::eventually([&] {
    ctrl(0, false);
    ctrl(1, false);
    return !seen.empty();
  })) << "no key from the registry came through";
  seen.clear();
  ctrl(0, true);
  EXPECT_TRUE(seen.empty()) << "a key from the application was taken";
  // A forged change of the registry's owner, addressed to the listener alone, changes nothing.
  doubles::BusPeer forger;
  ASSERT_EQ(forger.join(peer.address()), 0);
  forger.sendSignal(0, listener.uniqueName(), "/org/freedesktop/DBus", "org.freedesktop.DBus",
                    "NameOwnerChanged", "sss", "org.a11y.atspi.Registry", "", "");
  std::this_thread::sleep_for(20ms);
  ctrl(0, false);
  EXPECT_EQ(seen, (std::vector<std::pair<bool, modifier::Flags>>{{true, kCmd}}));
  ctrl(1, false);

  // The main thread (this one) stops for a second while the registry, from a thread of its own,
  // sends keys: the peer fails a key a listener consumed.
  seen.clear();
  std::vector<std::chrono::steady_clock::duration> delays;
  std::thread registry([&] {
    for (const auto& [type, keysym, text] :
         {std::tuple{0U, 0xffe3U, "Control_L"}, {0U, 0x6fU, "o"}, {1U, 0xffe3U, "Control_L"}}) {
      const auto start = std::chrono::steady_clock::now();
      EXPECT_TRUE(peer.control("Key", "uusb", type, keysym, text, false)) << text;
      delays.push_back(std::chrono::steady_clock::now() - start);
    }
  });
  std::this_thread::sleep_for(1s);
  registry.join();
  for (const auto delay : delays)
    EXPECT_LT(delay, 250ms) << "waited for the main thread";
  EXPECT_TRUE(seen.empty()) << "handlers run on the main thread only";
  listener.dispatchPending();
  EXPECT_EQ(seen, (std::vector<std::pair<bool, modifier::Flags>>{
                      {true, kCmd}, {false, kCmd}, {true, 0}}));
  ctrl(0, false);

  // The application's frame is active from the start; an intruder claiming the keyboard changes
  // nothing.
  std::optional<AtspiListener::ActiveApplication> active;
  ASSERT_TRUE(doubles::eventually(
      [&] { return (active = listener.activeApplication()) && !active->name.empty(); }));
  EXPECT_EQ(active->busName, peer.application());
  EXPECT_EQ(active->pid, peer.pid());
  listener.dispatchPending();
  EXPECT_EQ(fronts, 1) << "the application's coming to the front was not told";
  ASSERT_TRUE(peer.control("Activate", "b", true));
  std::this_thread::sleep_for(200ms);
  listener.dispatchPending();
  EXPECT_EQ(listener.activeApplication(), active) << "the intruder's window was taken";
  EXPECT_EQ(fronts, 1);
  EXPECT_TRUE(active->name.starts_with("Hostile ")) << active->name.substr(0, 40);
  EXPECT_LE(active->name.size(), 512u);  // the cap itself: raising it is a fault too

  const std::string text(4 << 20, 'a');
  const std::size_t before = heapInUse();
  for (std::uint32_t i = 0; i < 16; ++i)
    ASSERT_TRUE(peer.control("Key", "uusb", (i + 1) % 2, 0xffe3u, text.c_str(), false));
  std::this_thread::sleep_for(200ms);  // the last one queued
  EXPECT_LT(heapInUse(), before + 4 * text.size()) << "the queued keys hold their texts";
  seen.clear();
  listener.dispatchPending();
  EXPECT_EQ(seen.size(), 16u);
}

// Descriptors passed over the accessibility bus or an application's socket would be ours to
// close: the reader's and the listener's connections refuse them.
TEST(AtspiListenerTest, ConnectionsRefusePassedFileDescriptors) {
  const std::string& address = doubles::sessionBusAddress();
  if (address.empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  const dbus::BusPtr bus = dbus::connectToAddress(address, true);
  ASSERT_TRUE(bus);
  sd_id128_t id;
  ASSERT_GE(sd_bus_get_bus_id(bus.get(), &id), 0) << "the handshake did not complete";
  EXPECT_EQ(sd_bus_can_send(bus.get(), SD_BUS_TYPE_UNIX_FD), 0);
}

}  // namespace
}  // namespace tavrine::atspi
