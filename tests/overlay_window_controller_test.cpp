// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "overlay/overlay_view.h"
#include "overlay/overlay_window_controller.h"
#include "support/fake_platform.h"

namespace tavrine {
namespace {

class OverlayWindowControllerTest : public ::testing::Test {
 protected:
  std::vector<ShortcutItem> items{
      {"File", "New", "⌘N"}, {"Edit", "Copy", "⌘C"}, {"File", "Save", "⌘S"}};
  TranslationHelper t;
  doubles::FakeScreens screens;
  doubles::RecordingPanels panels;
  OverlayWindowController controller{screens, panels, t};
};

TEST_F(OverlayWindowControllerTest, CentresACappedShareOfTheVisibleFrame) {
  const std::pair<Rect, Rect> cases[] = {
      {{{0, 0}, {1440, 875}}, {{120, 87.5}, {1200, 700}}},
      {{{0, 0}, {1280, 720}}, {{96, 72}, {1088, 576}}},
      {{{0, 0}, {2560, 1415}}, {{680, 307.5}, {1200, 800}}},  // both caps
      {{{100, 50}, {1000, 600}}, {{175, 110}, {850, 480}}},   // centred on the frame, not at 0
      {{{0, 0}, {200, 100}}, {{15, 10}, {170, 80}}},          // no minimum size
  };
  for (const auto& [visible, expected] : cases) {
    screens.visibleFrame = visible;
    controller.showWithShortcuts(items, "Editor");
    EXPECT_EQ(panels.created.back()->contentRect, expected);
  }
}

TEST_F(OverlayWindowControllerTest, ShowsANonActivatingFloatingPanelWithTheGroupedView) {
  controller.showWithShortcuts(items, "Editor");
  ASSERT_EQ(panels.created.size(), 1u);
  EXPECT_EQ(controller.window, panels.created[0]);
  EXPECT_TRUE(panels.created[0]->onScreen());

  const PanelSettings& s = panels.created[0]->settings;
  EXPECT_EQ(
      std::tuple(s.styleMask, s.backing, s.defer, s.opaque, s.clearBackground, s.level, s.hasShadow,
                 s.movableByWindowBackground, s.hidesOnDeactivate, s.becomesKeyOnlyIfNeeded),
      std::tuple(128u, 2u, false, false, true, 3, true, false, false, true));
  EXPECT_EQ(s.content->appName(), "Editor");
  EXPECT_EQ(&s.content->t(), &t);
  // Grouped by menu, harvest order kept within each.
  EXPECT_EQ(s.content->groupedShortcuts(),
            (GroupedShortcuts{{"File", {items[0], items[2]}}, {"Edit", {items[1]}}}));
}

// Closing the panel before the next is made is part of the overlay cycle's tests.
TEST_F(OverlayWindowControllerTest, AShowWithoutAScreenStillClosesThePanelBefore) {
  controller.showWithShortcuts(items, "Editor");
  screens.visibleFrame = std::nullopt;
  controller.showWithShortcuts(items, "Editor");
  EXPECT_EQ(panels.created.size(), 1u);
  EXPECT_EQ(panels.onScreenCount(), 0u);
  EXPECT_EQ(controller.window, panels.created[0]);  // still refers to the closed panel
}

}  // namespace
}  // namespace tavrine
