#include <gtest/gtest.h>

#include <memory>

#include "overlay/overlay_view.h"
#include "support/app_harness.h"

namespace tavrine {
namespace {

using doubles::AppHarness;
using doubles::Scope;
using modifier::kCapsLock;
using modifier::kCommand;

constexpr std::string_view kEditor = "File\n  Save  [⌘S]\nEdit\n  Copy  [⌘C]\n";
constexpr std::string_view kBrowser = "Tab\n  New Tab  [⌘T]\n";

class HoldTriggerTest : public ::testing::Test {
 protected:
  HoldTriggerTest() {
    h.launch();
    h.bringToFront(42, "Editor", kEditor);
  }

  // Command down alone, held past the hold time and the main-queue hop.
  void holdCommand(modifier::Flags flags = kCommand) {
    h.modifiers(flags);
    h.fake.runLoop.advance(0.5);
  }
  std::string shownAppName() const {
    auto panel = h.shownPanel();
    return panel ? panel->settings.content->appName() : "";
  }

  AppHarness h;
};

TEST_F(HoldTriggerTest, ShowsAfterHalfASecondAndOnlyOnTheMainQueueHop) {
  h.modifiers(kCommand);
  h.fake.runLoop.advance(0.499);
  EXPECT_TRUE(h.fake.panels.created.empty());
  EXPECT_EQ(h.fake.runLoop.postedTaskCount(), 0u);

  h.fake.runLoop.moveClock(0.001);
  ASSERT_TRUE(h.fake.runLoop.runOneTurn());  // the press timer fires...
  EXPECT_TRUE(h.fake.panels.created.empty());
  EXPECT_EQ(h.fake.runLoop.postedTaskCount(), 1u);
  ASSERT_TRUE(h.fake.runLoop.runOneTurn());  // ...and the show comes in a turn of its own
  EXPECT_EQ(shownAppName(), "Editor");
  EXPECT_EQ(h.releasePolls(), 1u);

  // Holding on shows nothing more: the overlay is not refreshed during one hold.
  h.fake.runLoop.advance(3);
  EXPECT_EQ(h.fake.panels.created.size(), 1u);
  EXPECT_EQ(h.fake.workspace.frontmostQueries(), 1u);
}

TEST_F(HoldTriggerTest, ReleaseBeforeHoldTimeShowsNothing) {
  h.modifiers(kCommand);
  h.fake.runLoop.advance(0.3);
  auto pending = h.delegate->commandPressTimer;
  h.modifiers(0);
  EXPECT_FALSE(pending->isValid());
  EXPECT_EQ(h.delegate->commandPressTimer, nullptr);
  h.fake.runLoop.advance(2);
  EXPECT_TRUE(h.fake.panels.created.empty());
}

TEST_F(HoldTriggerTest, OnlyTheDeviceIndependentBitsCount) {
  // Left (0x8) and right (0x10) Command keys are the same; Caps Lock is another modifier.
  holdCommand(kCommand | 0x8);
  EXPECT_EQ(shownAppName(), "Editor");
  h.modifiers(kCommand | kCapsLock);
  EXPECT_EQ(h.shownPanel(), nullptr);

  h.modifiers(kCommand | kCapsLock | 0x10);
  h.fake.runLoop.advance(2);
  EXPECT_EQ(h.delegate->commandPressTimer, nullptr);
  EXPECT_EQ(h.fake.panels.created.size(), 1u);
}

TEST_F(HoldTriggerTest, AnyOtherModifierCancelsAndLettingItGoRearms) {
  for (modifier::Flags other : {modifier::kShift, modifier::kControl, modifier::kOption,
                                modifier::kNumericPad, modifier::kHelp, modifier::kFunction}) {
    SCOPED_TRACE(other);
    const std::size_t panelsBefore = h.fake.panels.created.size();
    h.modifiers(kCommand);
    h.fake.runLoop.advance(0.3);
    h.modifiers(kCommand | other);  // pending hold cancelled
    h.fake.runLoop.advance(0.4);
    EXPECT_EQ(h.fake.panels.created.size(), panelsBefore);

    h.modifiers(kCommand);  // the other key let go, Command still down: a new hold
    h.fake.runLoop.advance(0.499);
    EXPECT_EQ(h.fake.panels.created.size(), panelsBefore);
    h.fake.runLoop.advance(0.001);
    EXPECT_EQ(shownAppName(), "Editor");

    h.modifiers(kCommand | other);  // and while shown, it hides
    EXPECT_EQ(h.shownPanel(), nullptr);
    EXPECT_EQ(h.releasePolls(), 0u);
    h.modifiers(0);
  }
}

TEST_F(HoldTriggerTest, SecondCommandKeyRestartsTheHold) {
  h.modifiers(kCommand | 0x8);
  h.fake.runLoop.advance(0.3);
  auto first = h.delegate->commandPressTimer;
  h.modifiers(kCommand | 0x18);  // the other Command key joins
  EXPECT_FALSE(first->isValid());
  h.fake.runLoop.advance(0.4);  // 0.7 s after the first press, 0.4 s after the second
  EXPECT_TRUE(h.fake.panels.created.empty());
  h.fake.runLoop.advance(0.1);
  EXPECT_EQ(shownAppName(), "Editor");
}

TEST_F(HoldTriggerTest, KeyDownCancelsAPendingHoldFromEitherScope) {
  for (Scope scope : {Scope::local, Scope::global}) {
    h.modifiers(kCommand);
    h.fake.runLoop.advance(0.2);
    auto pending = h.delegate->commandPressTimer;
    h.fake.events.keyDown(scope, kCommand);  // Command-S typed
    EXPECT_FALSE(pending->isValid());
    EXPECT_EQ(h.delegate->commandPressTimer, nullptr);
    h.fake.runLoop.advance(1);
    h.modifiers(0);
  }
  EXPECT_TRUE(h.fake.panels.created.empty());
}

TEST_F(HoldTriggerTest, WhileShownAKeyPressLeavesTheOverlayUp) {
  holdCommand();
  auto panel = h.shownPanel();
  ASSERT_NE(panel, nullptr);
  h.fake.events.keyDown(Scope::global, kCommand);
  h.fake.runLoop.advance(1);
  EXPECT_EQ(h.shownPanel(), panel);
  EXPECT_EQ(h.releasePolls(), 1u);
}

TEST_F(HoldTriggerTest, WhileShownCommandAloneAgainRebuildsForTheNewFrontApplication) {
  holdCommand(kCommand | 0x8);
  auto first = h.shownPanel();
  h.bringToFront(7, "Browser", kBrowser);
  h.modifiers(kCommand | 0x18);
  EXPECT_EQ(h.shownPanel(), first);  // a pending hold while shown changes nothing yet
  h.fake.runLoop.advance(0.5);
  EXPECT_EQ(shownAppName(), "Browser");
  EXPECT_EQ(first->closes, 1u);
  EXPECT_EQ(h.fake.panels.onScreenCount(), 1u);
  EXPECT_EQ(h.releasePolls(), 1u);
}

TEST_F(HoldTriggerTest, AHoldEndedBetweenTheTimerAndTheHopShowsNothing) {
  h.modifiers(kCommand);
  h.fake.runLoop.moveClock(0.5);
  ASSERT_TRUE(h.fake.runLoop.runOneTurn());
  ASSERT_EQ(h.fake.runLoop.postedTaskCount(), 1u);
  h.modifiers(0);  // released just as the hold completed
  h.fake.runLoop.advance(1);
  EXPECT_TRUE(h.fake.panels.created.empty());

  h.modifiers(kCommand);
  h.fake.runLoop.moveClock(0.5);
  ASSERT_TRUE(h.fake.runLoop.runOneTurn());
  h.fake.events.keyDown(Scope::global, kCommand);  // a shortcut typed in the same instant
  h.fake.runLoop.advance(1);
  EXPECT_TRUE(h.fake.panels.created.empty());
}

TEST_F(HoldTriggerTest, NothingHappensOnceTheDelegateIsGone) {
  h.modifiers(kCommand);
  h.fake.runLoop.advance(0.2);
  std::weak_ptr<AppDelegate> weak = h.delegate;
  h.delegate.reset();
  ASSERT_TRUE(weak.expired());

  h.fake.runLoop.advance(1);
  EXPECT_TRUE(h.fake.panels.created.empty());
  // Local monitors still pass their events on; the others do nothing.
  auto event = std::make_shared<doubles::ScriptedEvent>(kEventMaskFlagsChanged, kCommand);
  EXPECT_EQ(h.fake.events.deliver(Scope::local, event), event);
  h.fake.events.keyDown(Scope::global);
  h.fake.runLoop.advance(1);
  EXPECT_TRUE(h.fake.panels.created.empty());
  EXPECT_TRUE(h.fake.runLoop.liveTimers().empty());
}

TEST_F(HoldTriggerTest, DelegateGoneBetweenTheTimerAndTheHop) {
  h.modifiers(kCommand);
  h.fake.runLoop.moveClock(0.5);
  ASSERT_TRUE(h.fake.runLoop.runOneTurn());
  h.delegate.reset();
  h.fake.runLoop.advance(1);
  EXPECT_TRUE(h.fake.panels.created.empty());
  EXPECT_EQ(h.fake.workspace.frontmostQueries(), 0u);
}

}  // namespace
}  // namespace tavrine
