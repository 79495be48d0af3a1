#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "overlay/overlay_view.h"
#include "support/app_harness.h"

namespace tavrine {
namespace {

using doubles::AppHarness;
using doubles::PanelEvent;
using modifier::kCommand;

constexpr std::string_view kEditor = "File\n  Save  [⌘S]\nEdit\n  Copy  [⌘C]\n  Paste  [⌘V]\n";
constexpr std::string_view kNoShortcuts = "File\n  Open Recent\nView\n  Zoom\n";

class OverlayCycleTest : public ::testing::Test {
 protected:
  OverlayCycleTest() {
    h.launch();
    h.fake.workspace.setModifierFlags(kCommand);
  }

  AppHarness h;
};

TEST_F(OverlayCycleTest, NoFrontmostApplicationChangesNothing) {
  h.fake.workspace.setFrontmost(std::nullopt);
  h.delegate->showOverlay();
  EXPECT_EQ(h.delegate->overlayController, nullptr);
  EXPECT_EQ(h.delegate->commandHoldTimer, nullptr);
  EXPECT_TRUE(h.fake.runLoop.liveTimers().empty());
}

TEST_F(OverlayCycleTest, ShowsTheHarvestUnderTheApplicationsNameOrUnknown) {
  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  auto panel = h.shownPanel();
  ASSERT_NE(panel, nullptr);
  const OverlayView& view = *panel->settings.content;
  EXPECT_EQ(view.appName(), "Editor");
  EXPECT_EQ(view.recordCount(), 3u);
  EXPECT_EQ(view.groupedShortcuts().at("Edit").size(), 2u);

  h.bringToFront(43, std::nullopt, kEditor);
  h.delegate->showOverlay();
  ASSERT_NE(h.shownPanel(), nullptr);
  EXPECT_EQ(h.shownPanel()->settings.content->appName(), "Unknown");
}

TEST(OverlayCycleStyleTest, EveryOverlayHasTheStyleTheDelegateWasMadeWith) {
  AppHarness h(true, OverlayStyle{KeyCapStyle::words});
  h.launch();
  h.fake.workspace.setModifierFlags(kCommand);
  h.bringToFront(42, "Editor", kEditor);
  for (int show = 0; show < 2; ++show) {
    h.delegate->showOverlay();
    ASSERT_NE(h.shownPanel(), nullptr);
    EXPECT_EQ(h.shownPanel()->settings.content->style().capStyle, KeyCapStyle::words);
  }
}

TEST_F(OverlayCycleTest, EmptyHarvestWithNothingShownCreatesNothing) {
  h.bringToFront(42, "Viewer", kNoShortcuts);
  h.delegate->showOverlay();
  EXPECT_EQ(h.delegate->overlayController, nullptr);
  EXPECT_EQ(h.delegate->commandHoldTimer, nullptr);
  EXPECT_TRUE(h.fake.panels.created.empty());

  h.fake.workspace.setFrontmost(44, "Ghost");  // no accessibility tree at all
  h.delegate->showOverlay();
  EXPECT_EQ(h.delegate->overlayController, nullptr);
}

TEST_F(OverlayCycleTest, EmptyHarvestLeavesAShownOverlayAndItsPollAlone) {
  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  auto panel = h.shownPanel();
  auto poll = h.delegate->commandHoldTimer;

  h.bringToFront(43, "Viewer", kNoShortcuts);
  h.delegate->showOverlay();
  EXPECT_EQ(h.shownPanel(), panel);
  EXPECT_EQ(h.delegate->commandHoldTimer, poll);
  EXPECT_TRUE(poll->isValid());
  EXPECT_EQ(h.fake.panels.created.size(), 1u);
}

TEST_F(OverlayCycleTest, TwoShowsInARowLeaveOnePanelAndOnePoll) {
  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  OverlayWindowController* controller = h.delegate->overlayController.get();
  auto firstPoll = h.delegate->commandHoldTimer;

  h.delegate->showOverlay();
  EXPECT_EQ(h.delegate->overlayController.get(), controller);
  EXPECT_FALSE(firstPoll->isValid());
  EXPECT_EQ(h.releasePolls(), 1u);
  EXPECT_EQ(h.fake.panels.onScreenCount(), 1u);
  EXPECT_EQ(h.shownPanel(), h.fake.panels.created.at(1));
  // The first panel went before the second was put on screen.
  using K = PanelEvent::Kind;
  EXPECT_EQ(
      h.fake.panels.history(),
      (std::vector<PanelEvent>{
          {0, K::made}, {0, K::orderedFront}, {0, K::closed}, {1, K::made}, {1, K::orderedFront}}));
}

TEST_F(OverlayCycleTest, ReleasePollHidesWithinATenthOfASecond) {
  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  auto panel = h.shownPanel();
  auto poll = h.delegate->commandHoldTimer;

  // Command still held, other modifiers with it: the poll keeps the overlay.
  h.fake.workspace.setModifierFlags(kCommand | modifier::kShift);
  h.fake.runLoop.advance(0.35);
  EXPECT_EQ(h.shownPanel(), panel);

  // Command let go without any flags event reaching the program.
  h.fake.workspace.setModifierFlags(0);
  h.fake.runLoop.advance(0.1);
  EXPECT_EQ(h.shownPanel(), nullptr);
  EXPECT_EQ(panel->closes, 1u);
  EXPECT_FALSE(poll->isValid());
  EXPECT_EQ(h.delegate->commandHoldTimer, nullptr);
  EXPECT_EQ(h.delegate->overlayController->window, nullptr);  // the controller stays
  EXPECT_TRUE(h.fake.runLoop.liveTimers().empty());
}

TEST_F(OverlayCycleTest, HideWithNothingShownIsHarmless) {
  h.delegate->hideOverlay();
  EXPECT_EQ(h.delegate->overlayController, nullptr);

  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  h.delegate->hideOverlay();
  h.delegate->hideOverlay();
  EXPECT_EQ(h.fake.panels.created.at(0)->closes, 1u);
  EXPECT_NE(h.delegate->overlayController, nullptr);
}

TEST_F(OverlayCycleTest, PollStopsItselfOnceTheDelegateIsGone) {
  h.bringToFront(42, "Editor", kEditor);
  h.delegate->showOverlay();
  h.delegate.reset();
  h.fake.runLoop.advance(0.1);
  EXPECT_TRUE(h.fake.runLoop.liveTimers().empty());
}

}  // namespace
}  // namespace tavrine
