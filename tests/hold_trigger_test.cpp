// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using doubles::AppHarness;
using doubles::Scope;
using modifier::kPrimary;

// One thing the user or the clock does.
using Step = std::function<void(AppHarness&)>;
Step press(modifier::Flags flags) {  // the modifiers held from now on
  return [flags](AppHarness& h) { h.modifiers(flags); };
}
Step key(Scope scope = Scope::global) {
  return [scope](AppHarness& h) { h.fake.events.keyDown(scope, kPrimary); };
}
Step wait(double seconds) {
  return [seconds](AppHarness& h) { h.fake.runLoop.advance(seconds); };
}
// The read's and the press timer fire; the show the latter queues waits for its turn on the main
// queue.
const Step timerFires = [](AppHarness& h) {
  ASSERT_TRUE(h.fake.runLoop.fireNextTimer());
  ASSERT_TRUE(h.fake.runLoop.fireNextTimer());
};
// The keyboard now holds `flags`, with no event telling of it: only the release poll can see it.
Step silently(modifier::Flags flags) {
  return [flags](AppHarness& h) { h.fake.workspace.flags = flags; };
}
// Another application comes to the front.
const Step browser = [](AppHarness& h) { h.bringToFront(7, "Browser", "Tab\n  New Tab  [⌘T]\n"); };
const Step noFront = [](AppHarness& h) { h.fake.workspace.frontmost.reset(); };
// In front: one whose menus have no shortcuts, one with no menu bar at all.
const Step viewer = [](AppHarness& h) { h.bringToFront(43, "Viewer", "File\n  Open Recent\n"); };
const Step ghost = [](AppHarness& h) {
  h.fake.workspace.frontmost = RunningApplication{44, "Ghost", nullptr, {}, {}, {}};
};
// The overlay asked for directly, and taken down.
const Step show = [](AppHarness& h) { h.show(); };
const Step hide = [](AppHarness& h) { h.delegate->hideOverlay(); };
const Step pin = [](AppHarness& h) { h.delegate->pinOverlay(); };
const Step closePinned = [](AppHarness& h) { h.delegate->closePinnedOverlay(); };
// The worker keeps its jobs until they are run, and the answers come back.
const Step holdJobs = [](AppHarness& h) { h.worker->held = true; };
const Step runJobs = [](AppHarness& h) {
  h.worker->run();
  h.fake.runLoop.advance(0);
};
// The status menu's item that shows the overlay pinned.
const Step menuItem = [](AppHarness& h) {
  ASSERT_TRUE(h.fake.statusBar.choose({menu_title::kShowPinned}));
  h.fake.runLoop.advance(0);
};

struct Script {
  std::string shown;  // the application on screen at the end, "" for none
  std::size_t panels;
  std::vector<Step> steps;
  bool pinned = false;
  int reads = -1;  // attributes of the editor read, when it matters
};

TEST(HoldTriggerTest, FollowsTheStateTable) {
  const modifier::Flags left = kPrimary | 0x8, both = kPrimary | 0x18;
  const Step tap[] = {press(kPrimary | modifier::kShift), press(kPrimary)};
  std::vector<Script> scripts = {
      {"Editor", 1, {press(kPrimary), wait(0.5)}},  // the hold time
      {"", 0, {press(kPrimary), wait(0.499)}},      // not a moment less
      {"", 0, {press(kPrimary), timerFires}},       // the timer only queues the show
      {"Editor", 1, {press(kPrimary), wait(3)}},    // held on: shown once
      {"Editor", 1, {press(left), wait(0.5)}},      // device bits do not count
      {"", 0, {press(left), wait(0.3), press(both), wait(0.499)}},  // the second key restarts
      {"Editor", 1, {press(left), wait(0.3), press(both), wait(0.5)}},
      {"", 0, {press(kPrimary), wait(0.3), press(0), wait(1)}},  // released early
      {"", 0, {press(kPrimary), wait(0.2), key(), wait(1)}},     // a shortcut typed
      {"", 0, {press(kPrimary), wait(0.2), key(Scope::local), wait(1)}},
      {"Editor", 1, {press(kPrimary), wait(0.5), key(), wait(1)}},  // a key while shown
      // The poll sees only Command, and its release at its next tenth of a second.
      {"Editor",
       1,
       {press(kPrimary), wait(0.5), silently(both), wait(0.1), silently(0), wait(0.099)}},
      {"", 1, {press(kPrimary), wait(0.5), silently(both), wait(0.1), silently(0), wait(0.1)}},
      {"", 1, {press(kPrimary), wait(0.5), silently(0), wait(0.1)}},
      {"Editor", 1, {press(kPrimary | modifier::kShift), wait(0.3), press(kPrimary), wait(0.5)}},
      // Command alone again while shown: a new hold, for the application now in front.
      {"Editor", 1, {press(kPrimary), wait(0.5), browser, press(both), wait(0.499)}},
      {"Browser", 2, {press(kPrimary), wait(0.5), browser, press(both), wait(0.5)}},
      // The hold ends while its show waits for its turn: the show must not happen.
      {"", 0, {press(kPrimary), timerFires, press(0), wait(1)}},
      {"", 0, {press(kPrimary), timerFires, key(), wait(1)}},
      {"", 0, {press(kPrimary), timerFires, key(Scope::local), wait(1)}},
      // Nothing of the application's own to show: nothing shown, and an overlay up stays.
      {"", 0, {noFront, show}},
      {"", 0, {viewer, show}},
      {"", 0, {ghost, show}},
      {"Editor", 1, {show, viewer, show}},
      {"Editor", 1, {press(kPrimary), wait(0.2), hide, wait(0.3)}},
      // The sources are asked part of the way into the hold, never for a hold a key ended before;
      // the answer is shown at the end or as it comes, for this hold and the application in front.
      {"", 0, {press(kPrimary), wait(0.19), key(), wait(1)}, false, 0},
      {"Editor", 1, {holdJobs, press(kPrimary), wait(0.5), runJobs}},
      {"", 0, {holdJobs, press(kPrimary), wait(0.5), key(), runJobs}},
      {"", 0, {holdJobs, press(kPrimary), wait(0.5), browser, runJobs}},
      {"Browser", 1, {holdJobs, press(kPrimary), wait(0.3), browser, wait(0.2), runJobs}},
      // Pinned: Shift tapped twice under Command with the overlay up, or the status menu's item; a
      // key in between is a shortcut, and Command let go starts over. Pinned, it outlasts the
      // release and no hold replaces it.
      {"Editor", 2, {press(kPrimary), wait(0.5), tap[0], tap[1], tap[0], tap[1], wait(0)}, true},
      {"", 1, {press(kPrimary), wait(0.5), tap[0], tap[1], wait(0)}},
      {"", 1, {press(kPrimary), wait(0.5), tap[0], tap[1], key(), tap[0], tap[1], wait(0)}},
      {"",
       1,
       {press(kPrimary), wait(0.5), tap[0], tap[1], press(0), press(kPrimary), tap[0], tap[1],
        wait(0)}},
      {"Editor", 1, {menuItem, press(0), wait(2), press(kPrimary), wait(1)}, true},
      {"", 0, {noFront, menuItem}},
      {"", 0, {pin}},  // nothing on screen, before or after a hold
      {"", 1, {press(kPrimary), wait(0.5), press(0), pin}},
      {"Editor",
       1,
       {press(kPrimary), wait(0.5), pin, press(kPrimary | modifier::kShift), press(0), wait(2),
        press(kPrimary), wait(1)},
       true},
      // Closed, the ordinary cycle is back.
      {"", 2, {press(kPrimary), wait(0.5), pin, closePinned, press(kPrimary), wait(0.5), press(0)}},
  };
  // Any other device-independent flag, Caps Lock included, cancels a pending hold and hides a
  // shown overlay.
  for (modifier::Flags other :
       {modifier::kShift, modifier::kControl, modifier::kAlt, modifier::kCapsLock,
        modifier::kNumericPad, modifier::kHelp, modifier::kFunction, modifier::Flags{1} << 31}) {
    scripts.push_back({"", 0, {press(kPrimary), wait(0.3), press(kPrimary | other), wait(1)}});
    scripts.push_back({"", 1, {press(kPrimary), wait(0.5), press(kPrimary | other)}});
    scripts.push_back({"", 0, {press(kPrimary), timerFires, press(kPrimary | other), wait(1)}});
  }
  for (std::size_t i = 0; i < scripts.size(); ++i) {
    SCOPED_TRACE("script " + std::to_string(i));
    AppHarness h;
    const auto editor = h.bringToFront(42, "Editor", "File\n  Save  [⌘S]\n");
    for (const Step& step : scripts[i].steps)
      step(h);
    EXPECT_EQ(h.shownApp(), scripts[i].shown);
    EXPECT_EQ(h.panelsMade(), scripts[i].panels);
    EXPECT_EQ(h.fake.panels.onScreenCount(), h.shownApp() != "" ? 1u : 0u);
    EXPECT_EQ(h.delegate->isOverlayPinned(), scripts[i].pinned);
    if (scripts[i].reads >= 0) {
      EXPECT_EQ(editor->reads().total, std::size_t(scripts[i].reads));
    }
  }
}

}  // namespace
}  // namespace tavrine
