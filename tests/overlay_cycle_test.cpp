// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using modifier::kPrimary;

constexpr std::string_view kEditor = "File\n  Save  [⌘S]\nEdit\n  Copy  [⌘C]\n  Paste  [⌘V]\n";
constexpr std::string_view kNoShortcuts = "File\n  Open Recent\nView\n  Zoom\n";

class OverlayCycleTest : public ::testing::Test {
 protected:
  OverlayCycleTest() { h.fake.workspace.flags = kPrimary; }
  std::shared_ptr<ax::MemoryTree> editor() { return h.bringToFront(42, "Editor", kEditor); }
  // The answer comes back through the main queue.
  void show() {
    h.delegate->showOverlay();
    loop.advance(0);
  }

  doubles::AppHarness h{true, OverlayStyle{KeyCapStyle::words}};
  doubles::VirtualRunLoop& loop = h.fake.runLoop;
};

// A second show replaces the first and keeps one poll.
TEST_F(OverlayCycleTest, ShowsTheHarvestUnderTheApplicationsNameOrUnknown) {
  h.bringToFront(42, "Editor", kEditor);
  show();
  // The harvest, grouped, with its chords.
  const auto& edit = h.fake.panels.created.at(0)->settings.content->groupedShortcuts().at("Edit");
  ASSERT_EQ(edit.size(), 2u);
  EXPECT_EQ(edit[1].chords, std::vector{KeyChord::make(KeyChord::kPrimary, "V")});

  h.bringToFront(43, std::nullopt, kEditor);
  show();
  ASSERT_EQ(h.panelsMade(), 2u);
  EXPECT_EQ(h.fake.panels.created[1]->othersOnScreenWhenShown, 0u);  // the first went before
  EXPECT_EQ(h.shownApp(), "Unknown");
  EXPECT_EQ(loop.liveTimerCount(), 1u);
  // Every overlay has the style the delegate was made with.
  EXPECT_EQ(h.fake.panels.created.at(1)->settings.content->style().capStyle, KeyCapStyle::words);
}

TEST_F(OverlayCycleTest, TheHeaderNamesTheApplicationInTheLanguageShown) {
  const auto hold = [&](bool zh) {
    h.delegate->hideOverlay();
    h.t.setIsZH(zh);
    show();
    return h.shownApp();
  };
  h.bringToFront(42, "Files", kEditor);
  h.fake.workspace.frontmost->localizedNameZH = "文件";
  h.fake.workspace.frontmost->icon = std::make_shared<const Image>();
  EXPECT_EQ(hold(false), "Files");
  // Beside the icon the application was read with.
  EXPECT_EQ(h.fake.panels.created.back()->settings.content->icon(),
            h.fake.workspace.frontmost->icon);
  h.t.setIsZH(true);
  EXPECT_EQ(h.shownApp(), "文件") << "switched while shown";
  EXPECT_EQ(hold(false), "Files");
  EXPECT_EQ(hold(true), "文件");
  h.bringToFront(43, "Editor", kEditor);  // no Chinese name: its own
  EXPECT_EQ(hold(true), "Editor");
}

TEST_F(OverlayCycleTest, HidingIsHarmlessWithNothingShownAndDropsWhatWasPrepared) {
  h.delegate->hideOverlay();  // nothing shown: nothing happens
  h.bringToFront(42, "Editor", kEditor);
  show();
  h.delegate->hideOverlay();
  h.delegate->hideOverlay();
  EXPECT_EQ(h.fake.panels.created.at(0)->closes, 1u);
  // A show prepared and not yet made goes with the hide.
  h.delegate->overlay()->prepareWithShortcuts({doubles::record("File", "New", "n")}, "E", {});
  h.delegate->hideOverlay();
  EXPECT_EQ(h.delegate->overlay()->prepared(), nullptr);
  EXPECT_EQ(h.fake.panels.created.at(1)->closes, 1u);
}

// An application that did not answer in time is not waited for again; it is asked again in the
// background at a hold or while one lasts, after a pause that doubles, and shown as soon as it
// answers. Until then a hold shows what the same process answered last. A pid used again by
// another process starts afresh.
TEST_F(OverlayCycleTest, AnApplicationThatDidNotAnswerIsAskedAgainInTheBackgroundOnly) {
  const auto tree = editor();
  const ax::AttributeResult bar = tree->application().copyAttributeValue(ax::Attribute::menuBar);
  tree->application().set(ax::Attribute::menuBar, {ax::Error::cannotComplete, {}});
  std::uint64_t start = 1;
  h.delegate->setProcessStart([&](std::int32_t pid) { return pid == 42 ? start : 0; });
  std::string shown;
  const auto holdAsks = [&](double after) {
    loop.advance(after);
    const std::size_t before = tree->reads().total;
    h.modifiers(kPrimary);
    loop.advance(0.5);
    shown = h.shownApp();
    h.modifiers(0);
    return tree->reads().total > before;
  };
  EXPECT_TRUE(holdAsks(0));
  EXPECT_FALSE(holdAsks(0));
  EXPECT_TRUE(holdAsks(ReadCycle::kFirstRetry));
  EXPECT_FALSE(holdAsks(ReadCycle::kFirstRetry));  // the pause doubled
  EXPECT_EQ(shown, "");
  tree->application().set(ax::Attribute::menuBar, bar);
  EXPECT_TRUE(holdAsks(ReadCycle::kFirstRetry));
  EXPECT_EQ(shown, "Editor");
  EXPECT_TRUE(holdAsks(0));

  tree->application().set(ax::Attribute::menuBar, {ax::Error::cannotComplete, {}});
  EXPECT_TRUE(holdAsks(0));
  EXPECT_EQ(shown, "Editor");  // its last answer
  start = 2;
  EXPECT_TRUE(holdAsks(0));
  EXPECT_EQ(shown, "");

  // Held on: asked again while the hold lasts, and shown then.
  start = 3;
  h.modifiers(kPrimary);
  loop.advance(0.5);
  EXPECT_EQ(h.shownApp(), "");
  tree->application().set(ax::Attribute::menuBar, bar);
  loop.advance(ReadCycle::kFirstRetry);
  EXPECT_EQ(h.shownApp(), "Editor");

  // The pid passes to another process while a retry waits during a hold: nothing is retried.
  h.modifiers(0);
  tree->application().set(ax::Attribute::menuBar, {ax::Error::cannotComplete, {}});
  EXPECT_TRUE(holdAsks(0));
  h.modifiers(kPrimary);
  loop.advance(0.3);
  start = 4;
  const std::size_t asked = tree->reads().total;
  loop.advance(ReadCycle::kFirstRetry);
  EXPECT_EQ(tree->reads().total, asked);
}

// The application in front is read ahead once it stays there: once per process, again after a
// pause while it shows no rows (a few tries), never marked as not answering for it. A hold during
// that read shows its answer without asking again.
TEST_F(OverlayCycleTest, ReadsTheApplicationInFrontAheadOnceAndAHoldTakesThatRead) {
  h.fake.workspace.flags = 0;
  auto tree = editor();
  std::uint64_t start = 1;
  h.delegate->setProcessStart([&](std::int32_t) { return start; });
  // Menu-bar reads: one per read of the application.
  const auto reads = [](const std::shared_ptr<ax::MemoryTree>& app) {
    const auto& log = app->reads().byAttribute;
    const auto found = log.find(ax::Attribute::menuBar);
    return found == log.end() ? 0u : found->second;
  };
  const auto frontSettles = [&](double after = ReadCycle::kReadAheadSettle) {
    h.fake.events.frontChanged();
    loop.advance(after);
  };
  frontSettles();
  EXPECT_EQ(reads(tree), 1u);
  frontSettles();
  EXPECT_EQ(reads(tree), 1u);
  start = 2;  // the pid used again
  frontSettles();
  EXPECT_EQ(reads(tree), 2u);
  const auto browser = h.bringToFront(7, "Browser", "Tab\n  New Tab  [⌘T]\n");
  frontSettles(0.1);  // passed through
  editor();
  frontSettles();
  EXPECT_EQ(reads(browser), 0u);

  const auto slow = h.bringToFront(9, "Slow", kEditor);
  slow->application().set(ax::Attribute::menuBar, {ax::Error::cannotComplete, {}});
  frontSettles();
  loop.advance(10 * ReadCycle::kFirstRetry);
  EXPECT_EQ(reads(slow), static_cast<std::size_t>(ReadCycle::kReadAheadTries));
  h.modifiers(kPrimary);
  loop.advance(0.5);
  h.modifiers(0);
  EXPECT_EQ(reads(slow), ReadCycle::kReadAheadTries + 1u);

  h.worker->held = true;
  start = 3;
  tree = editor();
  frontSettles();
  h.modifiers(kPrimary);
  loop.advance(0.5);
  h.worker->run();
  loop.advance(0);
  EXPECT_EQ(h.shownApp(), "Editor");
  EXPECT_EQ(reads(tree), 1u);
}

class OverlayWindowControllerTest : public ::testing::Test {
 protected:
  std::vector<ShortcutEntry> items{doubles::record("File", "New", "n"),
                                   doubles::record("Edit", "Copy", "c"),
                                   doubles::record("File", "Save", "s")};
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
    controller.showWithShortcuts(items, "Editor", {});
    EXPECT_EQ(panels.created.back()->contentRect, expected);
  }
  // Without a screen nothing is made, but the panel before is still closed.
  screens.visibleFrame = std::nullopt;
  controller.showWithShortcuts(items, "Editor", {});
  EXPECT_EQ(panels.created.size(), 5u);
  EXPECT_EQ(panels.onScreenCount(), 0u);
  EXPECT_EQ(controller.window, panels.created[4]);  // still refers to the closed panel
}

TEST_F(OverlayWindowControllerTest, ShowsANonActivatingFloatingPanelWithTheGroupedView) {
  controller.showWithShortcuts(items, "Editor", {});
  ASSERT_EQ(panels.created.size(), 1u);
  EXPECT_EQ(controller.window, panels.created[0]);

  const PanelSettings& s = panels.created[0]->settings;
  EXPECT_EQ(std::tuple(s.takesFocus, s.aboveOtherWindows, s.translucent, s.hasShadow,
                       s.showsWhileInactive),
            std::tuple(false, true, true, true, true));
  EXPECT_EQ(s.content->appName(), "Editor");
  EXPECT_EQ(&s.content->t(), &t);
  // Grouped by menu, harvest order kept within each.
  EXPECT_EQ(s.content->groupedShortcuts(),
            (GroupedShortcuts{{"File", {items[0], items[2]}}, {"Edit", {items[1]}}}));
}

TEST_F(OverlayWindowControllerTest,
       APreparedPanelWaitsOffScreenUntilShownAndAPreparedOneIsReplaced) {
  controller.showWithShortcuts(items, "Editor", {});
  EXPECT_TRUE(controller.prepareWithShortcuts(items, "Second", {}));
  EXPECT_TRUE(controller.prepareWithShortcuts(items, "Third", {}));
  ASSERT_EQ(panels.created.size(), 3u);
  // Nothing changed on screen; the second, never shown, is closed for good.
  EXPECT_EQ(controller.window, panels.created[0]);
  EXPECT_EQ(panels.onScreenCount(), 1u);
  EXPECT_EQ(std::pair(panels.created[1]->orderedFront, panels.created[1]->closes),
            std::pair(0ul, 1ul));
  EXPECT_EQ(controller.prepared(), panels.created[2]);

  controller.showPrepared();
  EXPECT_EQ(controller.window, panels.created[2]);
  EXPECT_EQ(controller.prepared(), nullptr);
  EXPECT_EQ(panels.created[0]->closes, 1u);
  EXPECT_TRUE(panels.created[2]->onScreen());
  // Nothing prepared: showing only closes.
  controller.showPrepared();
  EXPECT_EQ(panels.onScreenCount(), 0u);
}

}  // namespace
}  // namespace tavrine
