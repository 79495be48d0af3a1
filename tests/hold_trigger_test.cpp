#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using doubles::Scope;
using modifier::kCommand;

class HoldTriggerTest : public ::testing::Test {
 protected:
  HoldTriggerTest() { h.bringToFront(42, "Editor", "File\n  Save  [⌘S]\n"); }

  // Command down alone, held until the overlay is up.
  void showByHolding() {
    h.modifiers(kCommand);
    h.fake.runLoop.advance(0.5);
    ASSERT_EQ(h.shownApp(), "Editor");
  }

  doubles::AppHarness h;
  doubles::VirtualRunLoop& loop = h.fake.runLoop;
};

TEST_F(HoldTriggerTest, ShowsHalfASecondAfterCommandAloneInATurnOfItsOwn) {
  h.modifiers(kCommand | 0x8);  // the left Command key: device bits do not count
  loop.advance(0.499);
  EXPECT_EQ(h.panelsMade(), 0u);
  ASSERT_TRUE(loop.fireNextTimer());
  EXPECT_EQ(loop.now(), 0.5);
  EXPECT_EQ(h.panelsMade(), 0u);  // the timer only queues the show
  loop.runPostedTasks();
  EXPECT_EQ(h.shownApp(), "Editor");

  // Held on, the overlay is neither shown again nor refreshed.
  loop.advance(3);
  EXPECT_EQ(h.panelsMade(), 1u);
  EXPECT_EQ(h.fake.workspace.frontmostQueries, 1u);
}

TEST_F(HoldTriggerTest, AnythingButCommandAloneEndsTheHoldAndHidesTheOverlay) {
  for (modifier::Flags flags : {modifier::Flags{0}, kCommand | modifier::kShift,
                                kCommand | modifier::kControl, kCommand | modifier::kOption,
                                kCommand | modifier::kCapsLock, kCommand | modifier::kNumericPad,
                                kCommand | modifier::kHelp, kCommand | modifier::kFunction}) {
    SCOPED_TRACE(flags);
    const std::size_t made = h.panelsMade();
    h.modifiers(kCommand);
    loop.advance(0.3);
    h.modifiers(flags);
    loop.advance(1);
    EXPECT_EQ(h.panelsMade(), made);

    showByHolding();
    h.modifiers(flags);
    EXPECT_EQ(h.shownApp(), "");
    EXPECT_EQ(loop.liveTimerCount(), 0u);  // the release poll stopped with it
  }
}

TEST_F(HoldTriggerTest, TheSecondCommandKeyStartsTheHoldAgain) {
  h.modifiers(kCommand | 0x8);
  loop.advance(0.3);
  h.modifiers(kCommand | 0x18);
  loop.advance(0.499);
  EXPECT_EQ(h.panelsMade(), 0u);
  loop.advance(0.001);
  EXPECT_EQ(h.shownApp(), "Editor");
}

TEST_F(HoldTriggerTest, AKeyPressCancelsAPendingHoldButNeverHidesTheOverlay) {
  for (Scope scope : {Scope::local, Scope::global}) {
    h.modifiers(kCommand);
    loop.advance(0.2);
    h.fake.events.keyDown(scope, kCommand);  // Command-S typed
    loop.advance(1);
    EXPECT_EQ(h.panelsMade(), 0u);
    h.modifiers(0);
  }
  showByHolding();
  h.fake.events.keyDown(Scope::global, kCommand);
  loop.advance(1);
  EXPECT_EQ(h.shownApp(), "Editor");
}

TEST_F(HoldTriggerTest, AHoldEndedWhileItsShowWaitsForTheMainQueueShowsNothing) {
  const std::function<void()> endings[] = {
      [&] { h.modifiers(0); },
      [&] { h.modifiers(kCommand | modifier::kShift); },
      [&] { h.fake.events.keyDown(Scope::global, kCommand); },
      [&] { h.fake.events.keyDown(Scope::local, kCommand); },
  };
  for (const auto& end : endings) {
    h.modifiers(kCommand);
    ASSERT_TRUE(loop.fireNextTimer());
    ASSERT_EQ(loop.postedTaskCount(), 1u);
    end();
    loop.advance(1);
    EXPECT_EQ(h.panelsMade(), 0u);
    h.modifiers(0);
  }
}

TEST_F(HoldTriggerTest, CommandAloneAgainWhileShownRebuildsForTheNewFrontApplication) {
  showByHolding();
  h.bringToFront(7, "Browser", "Tab\n  New Tab  [⌘T]\n");
  h.modifiers(kCommand | 0x10);
  EXPECT_EQ(h.shownApp(), "Editor");
  loop.advance(0.5);
  EXPECT_EQ(h.shownApp(), "Browser");
  EXPECT_EQ(h.fake.panels.onScreenCount(), 1u);
  EXPECT_EQ(loop.liveTimerCount(), 1u);  // one release poll
}

TEST_F(HoldTriggerTest, NothingHappensOnceTheDelegateIsGone) {
  h.modifiers(kCommand);
  ASSERT_TRUE(loop.fireNextTimer());  // one show waits for its turn...
  h.modifiers(kCommand | 0x10);       // ...and another hold is pending
  h.delegate.reset();
  loop.advance(1);
  h.modifiers(kCommand);
  loop.advance(1);
  EXPECT_EQ(h.panelsMade(), 0u);
  EXPECT_EQ(loop.liveTimerCount(), 0u);
  // A local monitor still passes its event on.
  auto event = std::make_shared<doubles::ScriptedEvent>(kEventMaskFlagsChanged, kCommand);
  EXPECT_EQ(h.fake.events.deliver(Scope::local, event), event);
}

}  // namespace
}  // namespace tavrine
