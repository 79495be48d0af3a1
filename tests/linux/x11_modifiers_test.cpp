// SPDX-License-Identifier: MIT
#include "backends/linux/x11/modifiers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrine::x11 {
namespace {

using Kind = ModifierTracker::Kind;
using Outcome = ModifierTracker::Outcome;

// Keycodes of the usual PC keyboard under Xorg, with the usual modifier mapping.
constexpr unsigned kControlL = 37;
constexpr unsigned kControlR = 105;
constexpr unsigned kShiftL = 50;
constexpr unsigned kAltL = 64;
constexpr unsigned kSuperL = 133;
constexpr unsigned kCapsLock = 66;
constexpr unsigned kAltGr = 92;
constexpr unsigned kA = 38;

ModifierMap pcModifierMap() {
  ModifierMap map{};
  map[kControlL] = map[kControlR] = xmask::kControl;
  map[kShiftL] = xmask::kShift;
  map[kAltL] = xmask::kMod1;
  map[kSuperL] = xmask::kMod4;
  map[kCapsLock] = xmask::kLock;
  map[kAltGr] = xmask::kMod5;
  return map;
}

struct Step {
  bool press;
  unsigned keycode;
  Outcome expected;
};
Step down(unsigned keycode, Kind kind = Kind::none, modifier::Flags flags = 0) {
  return {true, keycode, {kind, flags}};
}
Step up(unsigned keycode, Kind kind = Kind::none, modifier::Flags flags = 0) {
  return {false, keycode, {kind, flags}};
}

constexpr Kind kFlags = Kind::flagsChanged;
constexpr Kind kKey = Kind::keyDown;
constexpr modifier::Flags kCmd = modifier::kPrimary;
constexpr modifier::Flags kCaps = modifier::kCapsLock;

// What real keys on a real server give is the X11 backend's test; these are the sequences a
// server cannot be made to send on demand, and the other modifiers.
TEST(ModifierTrackerTest, FollowsKeySequences) {
  const struct {
    std::string name;
    std::pair<unsigned, unsigned> start;  // a key the server has down (0: none), locked modifiers
    std::vector<Step> steps;
  } cases[] = {
      {"a release reported twice changes nothing",
       {},
       {down(kControlL, kFlags, kCmd), up(kControlL, kFlags, 0), up(kControlL),
        down(kControlL, kFlags, kCmd)}},
      {"a repeated modifier press is not a new change",
       {},
       {down(kControlL, kFlags, kCmd), down(kControlL), up(kControlL, kFlags, 0)}},
      {"letters repeat as key presses", {}, {down(kA, kKey, 0), down(kA, kKey, 0)}},
      {"both ctrl keys: Command until the last goes up",
       {},
       {down(kControlL, kFlags, kCmd), down(kControlR, kFlags, kCmd), up(kControlL, kFlags, kCmd),
        up(kControlR, kFlags, 0)}},
      {"other modifiers join",
       {},
       {down(kControlL, kFlags, kCmd), down(kShiftL, kFlags, kCmd | modifier::kShift),
        down(kAltL, kFlags, kCmd | modifier::kShift | modifier::kAlt),
        down(kSuperL, kFlags, kCmd | modifier::kShift | modifier::kAlt | modifier::kControl),
        up(kShiftL, kFlags, kCmd | modifier::kAlt | modifier::kControl)}},
      {"altgr is an ordinary key", {}, {down(kControlL, kFlags, kCmd), down(kAltGr, kKey, kCmd)}},
      {"caps lock locked at start",
       {0, xmask::kLock},
       {down(kControlL, kFlags, kCmd | kCaps), down(kCapsLock, kFlags, kCmd | kCaps),
        up(kCapsLock, kFlags, kCmd)}},
      {"keycodes beyond the keyboard are ignored", {}, {down(300), up(300)}},
      {"a key down since before the start: its release is a change",
       {kControlL, 0},
       {up(kControlL, kFlags, 0)}},
  };
  for (const auto& c : cases) {
    ModifierTracker tracker;
    tracker.setModifierMap(pcModifierMap());
    std::bitset<256> held;
    if (c.start.first != 0) held.set(c.start.first);
    tracker.seed(held, c.start.second);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      EXPECT_EQ(step.press ? tracker.press(step.keycode) : tracker.release(step.keycode),
                step.expected)
          << c.name << ", step " << i;
    }
  }
}

}  // namespace
}  // namespace tavrine::x11
