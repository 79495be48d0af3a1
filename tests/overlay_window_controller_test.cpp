#include <gtest/gtest.h>

#include <optional>
#include <string>
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
  struct Case {
    Rect visible;
    Rect expected;
  };
  const Case cases[] = {
      {{{0, 0}, {1440, 875}}, {{120, 87.5}, {1200, 700}}},
      {{{0, 0}, {1280, 720}}, {{96, 72}, {1088, 576}}},
      {{{0, 0}, {2560, 1415}}, {{680, 307.5}, {1200, 800}}},  // both caps
      {{{100, 50}, {1000, 600}}, {{175, 110}, {850, 480}}},   // centred on the frame, not at 0
      {{{0, 0}, {200, 100}}, {{15, 10}, {170, 80}}},          // no minimum size
  };
  for (const Case& c : cases) {
    screens.visibleFrame = c.visible;
    controller.showWithShortcuts(items, "Editor");
    ASSERT_NE(controller.window, nullptr);
    EXPECT_EQ(panels.created.back()->contentRect, c.expected);
  }
}

TEST_F(OverlayWindowControllerTest, ShowsANonActivatingFloatingPanelWithTheGroupedView) {
  controller.showWithShortcuts(items, "Editor");
  ASSERT_EQ(panels.created.size(), 1u);
  const doubles::RecordingPanel& panel = *panels.created[0];
  EXPECT_EQ(controller.window, panels.created[0]);
  EXPECT_EQ(panel.orderedFront, 1u);

  const PanelSettings& s = panel.settings;
  EXPECT_EQ(s.styleMask, 128u);
  EXPECT_EQ(s.backing, 2u);
  EXPECT_FALSE(s.defer);
  EXPECT_FALSE(s.opaque);
  EXPECT_TRUE(s.clearBackground);
  EXPECT_EQ(s.level, 3);
  EXPECT_TRUE(s.hasShadow);
  EXPECT_FALSE(s.movableByWindowBackground);
  EXPECT_FALSE(s.hidesOnDeactivate);
  EXPECT_TRUE(s.becomesKeyOnlyIfNeeded);

  ASSERT_NE(s.content, nullptr);
  EXPECT_EQ(s.content->appName(), "Editor");
  EXPECT_EQ(&s.content->t(), &t);
  const GroupedShortcuts& groups = s.content->groupedShortcuts();
  ASSERT_EQ(groups.size(), 2u);
  const auto& file = groups.at("File");
  ASSERT_EQ(file.size(), 2u);
  EXPECT_EQ(file[0], items[0]);  // harvest order kept
  EXPECT_EQ(file[1], items[2]);
  EXPECT_EQ(groups.at("Edit"), std::vector<ShortcutItem>{items[1]});
}

TEST_F(OverlayWindowControllerTest, ASecondShowReplacesTheFirstPanel) {
  controller.showWithShortcuts(items, "Editor");
  controller.showWithShortcuts({items[1]}, "Editor");
  ASSERT_EQ(panels.created.size(), 2u);
  EXPECT_EQ(panels.created[0]->closes, 1u);
  EXPECT_EQ(panels.onScreenCount(), 1u);
  EXPECT_EQ(controller.window, panels.created[1]);
  EXPECT_EQ(panels.created[1]->settings.content->recordCount(), 1u);
}

TEST_F(OverlayWindowControllerTest, WithoutAScreenThePreviousPanelGoesAndNothingIsShown) {
  controller.showWithShortcuts(items, "Editor");
  screens.visibleFrame = std::nullopt;
  controller.showWithShortcuts(items, "Editor");
  EXPECT_EQ(panels.created.size(), 1u);
  EXPECT_EQ(panels.onScreenCount(), 0u);
  EXPECT_EQ(controller.window, panels.created[0]);  // still refers to the closed panel
}

}  // namespace
}  // namespace tavrine
