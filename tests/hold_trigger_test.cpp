// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

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
  h.fake.workspace.frontmost = RunningApplication{44, "Ghost", nullptr, {}, {}, {}, {}};
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
// A status menu item chosen: the one that shows the overlay pinned, or the one that asks for
// accessibility.
Step item(std::string_view title) {
  return [title](AppHarness& h) {
    ASSERT_TRUE(h.fake.statusBar.choose({std::string(title)}));
    h.fake.runLoop.advance(0);
  };
}
// Accessibility granted or asked for, and the global monitors installed again.
const Step grant = [](AppHarness& h) { h.setTrusted(true); };
const Step request = [](AppHarness& h) { h.delegate->requestAccessibility(); };
const Step startGlobal = [](AppHarness& h) { h.delegate->startGlobalMonitoring(); };
// The user's settings: another trigger key or hold time; applications never shown over, from the
// start or from the overlay's menu.
Step set(modifier::Flags key, double seconds = 0.5) {
  return [=](AppHarness& h) { h.delegate->setTrigger(key), h.delegate->setHoldDuration(seconds); };
}
Step neverOver(std::vector<std::string> names) {
  return [names](AppHarness& h) mutable {
    auto list = std::make_shared<std::vector<std::string>>(std::move(names));
    h.delegate->onNeverShowOver(
        [list](const RunningApplication& a) { list->push_back(*a.localizedName); });
    h.delegate->setNeverShowOver([list](const RunningApplication& a) {
      return std::find(list->begin(), list->end(), a.localizedName) != list->end();
    });
  };
}
// This program in front, held through the local monitors, which pass every event on.
const Step ownHeld = [](AppHarness& h) {
  h.bringToFront(42, "Tavrine", "Tavrine\n  Quit Tavrine  [⌘Q]\n");
  h.fake.workspace.flags = kPrimary;
  ASSERT_NE(h.fake.events.keyDown(Scope::local, kPrimary), nullptr);
  ASSERT_NE(h.fake.events.flagsChanged(Scope::local, kPrimary), nullptr);
  h.fake.runLoop.advance(0.5);
};

struct Script {
  std::string shown;  // the application on screen at the end, "" for none
  std::size_t panels;
  std::vector<Step> steps;
  bool pinned = false;
  int reads = -1;       // attributes of the editor read, when it matters
  bool trusted = true;  // at launch
  // When they matter: global monitors and attempts to install one, prompts, live timers.
  int global = -1, attempts = -1, prompts = -1, timers = -1;
};

TEST(HoldTriggerTest, FollowsTheStateTable) {
  const modifier::Flags left = kPrimary | 0x8, both = kPrimary | 0x18;
  const Step tap[] = {press(kPrimary | modifier::kShift), press(kPrimary)};
  const Step ask = item(menu_title::kNotTrusted);
  std::vector<Script> scripts = {
      {"Editor", 1, {press(kPrimary), wait(0.5)}},  // the hold time
      {"", 0, {press(kPrimary), wait(0.499)}},      // not a moment less
      {"", 0, {press(kPrimary), timerFires}},       // the timer only queues the show
      {"Editor", 1, {press(kPrimary), wait(3)}},    // held on: shown once
      {"Editor", 1, {press(left), wait(0.5)}},      // device bits do not count
      {"", 0, {press(left), wait(0.3), press(both), wait(0.499)}},  // the second key restarts
      {"Editor", 1, {press(left), wait(0.3), press(both), wait(0.5)}},
      {"", 0, {press(kPrimary), wait(0.3), press(0), wait(1)}},  // released early
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
      // Nothing of the application's own: shown with the reason, but an overlay up stays.
      {"", 0, {noFront, show}},
      {"Viewer", 1, {viewer, show}},
      {"Ghost", 1, {ghost, show}},
      {"Editor", 1, {show, viewer, show}},
      {"Editor", 1, {press(kPrimary), wait(0.2), hide, wait(0.3)}},
      // The sources are asked part of the way into the hold, never for a hold a key ended before;
      // the answer is shown at the end or as it comes, for this hold and the application in front.
      {"", 0, {press(kPrimary), wait(0.19), key(), wait(1)}, false, 0},
      {"Editor", 1, {holdJobs, press(kPrimary), wait(0.5), runJobs}},
      {"", 0, {holdJobs, press(kPrimary), wait(0.5), key(), runJobs}},
      {"", 0, {holdJobs, press(kPrimary), wait(0.5), browser, runJobs}},
      {"Browser", 1, {holdJobs, press(kPrimary), wait(0.3), browser, wait(0.2), runJobs}},
      // Keys tapped a second apart under Command (word by word; a click or wheel step is a key
      // too), or Command pressed during a drag (its change, then the button as a key).
      {"", 0, {press(kPrimary), wait(0.1), key(), wait(1), key(), wait(1), key(), wait(1)}},
      {"", 0, {press(kPrimary), key(), wait(1)}},
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
      {"Editor",
       1,
       {item(menu_title::kShowPinned), press(0), wait(2), press(kPrimary), wait(1)},
       true},
      {"", 0, {noFront, item(menu_title::kShowPinned)}},
      {"", 0, {pin}},  // nothing on screen, before or after a hold
      {"", 1, {press(kPrimary), wait(0.5), press(0), pin}},
      {"Editor",
       1,
       {press(kPrimary), wait(0.5), pin, press(kPrimary | modifier::kShift), press(0), wait(2),
        press(kPrimary), wait(1)},
       true},
      // Closed, the ordinary cycle is back.
      {"", 2, {press(kPrimary), wait(0.5), pin, closePinned, press(kPrimary), wait(0.5), press(0)}},
      // The user's settings: the hold time, the read still before its end when short; Super (the
      // control bit) or Alt alone holds, Ctrl no longer does, and the pinning gesture follows.
      {"Editor", 1, {set(kPrimary, 0.2), press(kPrimary), wait(0.2)}},
      {"", 0, {set(kPrimary, 0.2), press(kPrimary), wait(0.199)}},
      {"Editor",
       1,
       {holdJobs, set(kPrimary, 0.15), press(kPrimary), wait(0.1), runJobs, wait(0.05)}},
      {"Editor", 1, {set(modifier::kControl), press(modifier::kControl), wait(0.5)}},
      {"", 0, {set(modifier::kAlt), press(kPrimary), wait(1)}},
      {"", 0, {set(modifier::kAlt), press(modifier::kAlt | kPrimary), wait(1)}},
      {"Editor",
       2,
       {set(modifier::kAlt), press(modifier::kAlt), wait(0.5),
        press(modifier::kAlt | modifier::kShift), press(modifier::kAlt),
        press(modifier::kAlt | modifier::kShift), press(modifier::kAlt), wait(0)},
       true},
      // Never shown over: not read at a hold, ahead or for the status menu; others still are.
      {"", 0, {neverOver({"Editor"}), press(kPrimary), wait(1)}, false, 0},
      {"",
       0,
       {neverOver({"Editor"}), startGlobal, [](AppHarness& h) { h.delegate->frontmostChanged(); },
        wait(1), item(menu_title::kShowPinned)},
       false,
       0},
      {"Browser", 1, {neverOver({"Editor"}), browser, press(kPrimary), wait(0.5)}},
      {"",
       1,
       {neverOver({}), press(kPrimary), wait(0.5), pin,
        [](AppHarness& h) { h.delegate->neverShowOverShownApplication(); }, press(kPrimary),
        wait(1)}},
      // Launched, the global monitors are installed only when trusted, and never with a prompt;
      // untrusted, the local monitors alone drive the hold. Installed once; a refusal is retried.
      {"", 0, {}, false, -1, true, 2, 2, 0, 0},
      {"Tavrine", 1, {ownHeld}, false, -1, false, 0, 0, 0},
      {"", 0, {startGlobal, grant, startGlobal, startGlobal, startGlobal}, false, -1, false, 2, 4},
      // Each request prompts; one poll (at 1, 2, 3 s) runs however often it is asked for, and the
      // first tick after the grant installs the monitors and stops it. A later request polls again.
      {"", 0, {ask, wait(0.3), request, wait(2.05)}, false, -1, false, 0, 0, 2, 1},
      {"", 0, {ask, wait(2.35), grant, wait(0.649)}, false, -1, false, 0, 0, 1, 1},
      {"", 0, {ask, wait(2.35), grant, wait(0.65)}, false, -1, false, 2, 2, 1, 0},
      {"", 0, {ask, grant, wait(3), request}, false, -1, false, 2, 2, 2, 1},
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
    const Script& script = scripts[i];
    AppHarness h(script.trusted);
    const auto editor = h.bringToFront(42, "Editor", "File\n  Save  [⌘S]\n");
    for (const Step& step : script.steps)
      step(h);
    EXPECT_EQ(h.shownApp(), script.shown);
    EXPECT_EQ(h.panelsMade(), script.panels);
    EXPECT_EQ(h.fake.panels.onScreenCount(), h.shownApp() != "" ? 1u : 0u);
    EXPECT_EQ(h.delegate->isOverlayPinned(), script.pinned);
    const auto pinsIf = [](int expected, std::size_t actual) {
      if (expected >= 0) {
        EXPECT_EQ(actual, std::size_t(expected));
      }
    };
    pinsIf(script.reads, editor->reads().total);
    pinsIf(script.global, h.fake.events.monitorCount(Scope::global, kEventMaskKeyDown) +
                              h.fake.events.monitorCount(Scope::global, kEventMaskFlagsChanged));
    pinsIf(script.attempts, h.fake.events.globalAttempts);
    pinsIf(script.prompts, h.fake.trust.prompts);
    pinsIf(script.timers, h.fake.runLoop.liveTimerCount());
  }
}

}  // namespace
}  // namespace tavrine
