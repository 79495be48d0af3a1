// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using modifier::kCommand;

constexpr std::string_view kEditor = "File\n  Save  [⌘S]\nEdit\n  Copy  [⌘C]\n  Paste  [⌘V]\n";
constexpr std::string_view kNoShortcuts = "File\n  Open Recent\nView\n  Zoom\n";

class OverlayCycleTest : public ::testing::Test {
 protected:
  OverlayCycleTest() { h.fake.workspace.flags = kCommand; }

  doubles::AppHarness h{true, true, OverlayStyle{KeyCapStyle::words}};
  doubles::VirtualRunLoop& loop = h.fake.runLoop;
};

TEST_F(OverlayCycleTest, NothingToShowChangesNothing) {
  h.delegate->showOverlay();  // no frontmost application
  h.bringToFront(42, "Viewer", kNoShortcuts);
  h.delegate->showOverlay();
  h.fake.workspace.frontmost = RunningApplication{44, "Ghost", nullptr};  // no menu bar at all
  h.delegate->showOverlay();
  EXPECT_EQ(h.delegate->overlayController, nullptr);
  EXPECT_EQ(loop.liveTimerCount(), 0u);

  // An overlay already up stays as it was, poll included.
  h.bringToFront(43, "Editor", kEditor);
  h.delegate->showOverlay();
  h.bringToFront(42, "Viewer", kNoShortcuts);
  h.delegate->showOverlay();
  EXPECT_EQ(h.shownApp(), "Editor");
  EXPECT_EQ(h.panelsMade(), 1u);
  EXPECT_EQ(loop.liveTimerCount(), 1u);
}

TEST_F(OverlayCycleTest, ShowsTheHarvestUnderTheApplicationsNameOrUnknown) {
  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  const OverlayView& view = *h.fake.panels.created.at(0)->settings.content;
  EXPECT_EQ(view.appName(), "Editor");
  EXPECT_EQ(view.groupedShortcuts().at("Edit").size(), 2u);
  EXPECT_EQ(view.groupedShortcuts().at("File").size(), 1u);

  h.bringToFront(43, std::nullopt, kEditor);
  h.delegate->showOverlay();
  EXPECT_EQ(h.shownApp(), "Unknown");
  // Every overlay has the style the delegate was made with.
  EXPECT_EQ(h.fake.panels.created.at(1)->settings.content->style().capStyle, KeyCapStyle::words);
}

TEST_F(OverlayCycleTest, ASecondShowReplacesTheFirstAndKeepsOnePoll) {
  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  const OverlayWindowController* controller = h.delegate->overlayController.get();
  h.delegate->showOverlay();
  EXPECT_EQ(h.delegate->overlayController.get(), controller);
  ASSERT_EQ(h.panelsMade(), 2u);
  EXPECT_EQ(h.fake.panels.created[1]->othersOnScreenWhenMade, 0u);  // the first went before
  EXPECT_EQ(h.shownApp(), "Editor");
  EXPECT_EQ(loop.liveTimerCount(), 1u);
}

TEST_F(OverlayCycleTest, ThePollSeesCommandLetGoAtItsNextTenthOfASecond) {
  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  // Command held with other modifiers keeps the overlay, as far as the poll is concerned.
  h.fake.workspace.flags = kCommand | modifier::kShift;
  loop.advance(0.1);
  // Let go just after a tick, with no event reaching the program.
  h.fake.workspace.flags = 0;
  loop.advance(0.099);
  EXPECT_EQ(h.shownApp(), "Editor");
  loop.advance(0.001);
  EXPECT_EQ(h.shownApp(), "");
  EXPECT_EQ(h.delegate->commandHoldTimer, nullptr);
  EXPECT_EQ(loop.liveTimerCount(), 0u);
  EXPECT_NE(h.delegate->overlayController, nullptr);  // kept for the next show
}

TEST_F(OverlayCycleTest, HidingLeavesAPendingHoldAloneAndIsHarmlessWithNothingShown) {
  h.delegate->hideOverlay();
  EXPECT_EQ(h.delegate->overlayController, nullptr);

  h.bringToFront(42, "Editor", kEditor);
  h.modifiers(kCommand);
  loop.advance(0.2);
  h.delegate->hideOverlay();
  loop.advance(0.3);
  EXPECT_EQ(h.shownApp(), "Editor");
  h.delegate->hideOverlay();
  h.delegate->hideOverlay();
  EXPECT_EQ(h.fake.panels.created.at(0)->closes, 1u);
}

TEST_F(OverlayCycleTest, ThePollStopsItselfOnceTheDelegateIsGone) {
  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  h.delegate.reset();
  loop.advance(0.1);
  EXPECT_EQ(loop.liveTimerCount(), 0u);
}

}  // namespace
}  // namespace tavrine
