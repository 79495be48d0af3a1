// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "overlay/overlay_layout.h"
#include "support/app_harness.h"
#include "support/fake_text_measurer.h"

namespace tavrine {
namespace {

using doubles::AppHarness;
using modifier::kPrimary;

constexpr std::string_view kEditor = "File\n  Save  [⌘S]\nEdit\n  Copy  [⌘C]\n  Paste  [⌘V]\n";
const ax::AttributeResult kNoAnswer{ax::Error::cannotComplete, {}};

// Menu-bar reads: one per read of the application.
std::size_t reads(const std::shared_ptr<ax::MemoryTree>& app) {
  const auto& log = app->reads().byAttribute;
  const auto found = log.find(ax::Attribute::menuBar);
  return found == log.end() ? 0u : found->second;
}

// The harvest, grouped, in the delegate's style, under the application's name in the language
// shown (its own where it has no Chinese one, "Unknown" where it has none) beside its icon. A
// show replaces the one up; hiding twice, or with nothing shown, is harmless and drops what was
// prepared.
TEST(OverlayCycleTest, ShowsTheHarvestUnderTheNameInTheLanguageShownAndHides) {
  AppHarness h{true, OverlayStyle{KeyCapStyle::words}};
  h.fake.workspace.flags = kPrimary;
  const auto hold = [&](bool zh) {
    h.delegate->hideOverlay();
    h.t.setIsZH(zh);
    h.show();
    return h.shownApp();
  };
  h.bringToFront(42, "Files", kEditor);
  h.fake.workspace.frontmost->localizedNameZH = "文件";
  h.fake.workspace.frontmost->icon = std::make_shared<const Image>();
  EXPECT_EQ(hold(false), "Files");
  const OverlayView& view = *h.fake.panels.created.back()->settings.content;
  EXPECT_EQ(view.icon(), h.fake.workspace.frontmost->icon);
  EXPECT_EQ(view.style().capStyle, KeyCapStyle::words);
  const auto& edit = view.groupedShortcuts().at("Edit");
  ASSERT_EQ(edit.size(), 2u);
  EXPECT_EQ(edit[1].chords, std::vector{KeyChord::make(KeyChord::kPrimary, "V")});
  h.t.setIsZH(true);
  EXPECT_EQ(h.shownApp(), "文件") << "switched while shown";
  EXPECT_EQ(hold(false), "Files");
  EXPECT_EQ(hold(true), "文件");
  h.bringToFront(43, "Editor", kEditor);
  EXPECT_EQ(hold(true), "Editor");
  h.bringToFront(44, std::nullopt, kEditor);
  h.show();
  EXPECT_EQ(h.shownApp(), "Unknown");
  EXPECT_EQ(h.fake.panels.created.back()->othersOnScreenWhenShown, 0u);  // the one up went first
  EXPECT_EQ(h.fake.runLoop.liveTimerCount(), 1u);                        // one release poll

  h.delegate->hideOverlay();
  h.delegate->hideOverlay();
  EXPECT_EQ(h.fake.panels.created.back()->closes, 1u);
  h.delegate->overlay()->prepareWithShortcuts({doubles::record("File", "New", "n")}, "E", {});
  h.delegate->hideOverlay();
  EXPECT_EQ(h.delegate->overlay()->prepared(), nullptr);
  EXPECT_EQ(h.fake.panels.created.back()->closes, 1u);
}

// An application that did not answer in time is not waited for again; it is asked again in the
// background at a hold or while one lasts, after a pause that doubles, and shown as soon as it
// answers. Until then a hold shows what the same process answered last. A pid used again by
// another process starts afresh, and a retry that waited for it retries nothing.
TEST(OverlayCycleTest, AnApplicationThatDidNotAnswerIsAskedAgainInTheBackgroundOnly) {
  AppHarness h;
  const auto tree = h.bringToFront(42, "Editor", kEditor);
  const ax::AttributeResult bar = tree->application().copyAttributeValue(ax::Attribute::menuBar);
  const auto answers = [&](bool yes) {
    tree->application().set(ax::Attribute::menuBar, yes ? bar : kNoAnswer);
  };
  std::uint64_t start = 1;
  h.delegate->setProcessStart([&](std::int32_t) { return start; });
  std::string shown;  // the reason shown in place of rows, else the rows' application
  const auto holdAsks = [&](double after) {
    h.fake.runLoop.advance(after);
    const std::size_t before = tree->reads().total;
    h.modifiers(kPrimary);
    h.fake.runLoop.advance(0.5);
    shown = h.shownReason().empty() ? h.shownApp() : h.shownReason();
    h.modifiers(0);
    return tree->reads().total > before;
  };
  answers(false);
  EXPECT_TRUE(holdAsks(0));
  EXPECT_FALSE(holdAsks(0));
  EXPECT_TRUE(holdAsks(ReadCycle::kFirstRetry));
  EXPECT_FALSE(holdAsks(ReadCycle::kFirstRetry));  // the pause doubled
  EXPECT_EQ(shown, "The application did not answer in time.");
  answers(true);
  EXPECT_TRUE(holdAsks(ReadCycle::kFirstRetry));
  EXPECT_EQ(shown, "Editor");
  EXPECT_TRUE(holdAsks(0));
  answers(false);
  EXPECT_TRUE(holdAsks(0));
  EXPECT_EQ(shown, "Editor");  // its last answer
  start = 2;
  EXPECT_TRUE(holdAsks(0));
  EXPECT_EQ(shown, "The application did not answer in time.");

  // Held on: asked again while the hold lasts, and shown then.
  start = 3;
  h.modifiers(kPrimary);
  h.fake.runLoop.advance(0.5);
  answers(true);
  h.fake.runLoop.advance(ReadCycle::kFirstRetry);
  EXPECT_EQ(h.shownApp(), "Editor");

  h.modifiers(0);
  answers(false);
  EXPECT_TRUE(holdAsks(0));
  h.modifiers(kPrimary);
  h.fake.runLoop.advance(0.3);
  start = 4;
  const std::size_t asked = tree->reads().total;
  h.fake.runLoop.advance(ReadCycle::kFirstRetry);
  EXPECT_EQ(tree->reads().total, asked);
}

// Without rows of its own, the overlay says why in one line under the header, in the language
// shown, above the system section.
TEST(OverlayCycleTest, AnApplicationWithoutRowsSaysWhyUnderTheHeader) {
  const std::tuple<std::string_view, bool, std::string> cases[] = {
      {"", false, "No menu bar and no shortcuts window found."},
      {"File\nEdit\n", false, "Its menus stay empty until they are opened."},
      {"File\n  Open Recent\n", true, "它的菜单里没有快捷键。"}};
  for (const auto& [menus, zh, line] : cases) {
    AppHarness h;
    h.t.setIsZH(zh);
    h.bringToFront(43, "Viewer", menus);
    h.show();
    const doubles::FakeTextMeasurer measurer;
    const OverlayLayout layout(h.fake.panels.created.back()->settings.content, measurer,
                               {1200, 800}, nullptr);
    const std::vector<Primitive> top = layout.primitivesIn({{0, 0}, {1200, 30}});
    EXPECT_EQ(top.empty() ? "" : std::get<TextPrimitive>(top[0]).text, line);
  }
}

// The application in front is read ahead once it stays there: once per process, again after a
// pause while it shows no rows (a few tries), never marked as not answering for it. A hold during
// that read shows its answer without asking again.
TEST(OverlayCycleTest, ReadsTheApplicationInFrontAheadOnceAndAHoldTakesThatRead) {
  AppHarness h;
  auto tree = h.bringToFront(42, "Editor", kEditor);
  std::uint64_t start = 1;
  h.delegate->setProcessStart([&](std::int32_t) { return start; });
  const auto frontSettles = [&](double after = ReadCycle::kReadAheadSettle) {
    h.fake.events.frontChanged();
    h.fake.runLoop.advance(after);
  };
  frontSettles();
  frontSettles();
  EXPECT_EQ(reads(tree), 1u);
  start = 2;  // the pid used again
  frontSettles();
  EXPECT_EQ(reads(tree), 2u);
  const auto browser = h.bringToFront(7, "Browser", "Tab\n  New Tab  [⌘T]\n");
  frontSettles(0.1);  // passed through
  h.bringToFront(42, "Editor", kEditor);
  frontSettles();
  EXPECT_EQ(reads(browser), 0u);

  const auto slow = h.bringToFront(9, "Slow", kEditor);
  slow->application().set(ax::Attribute::menuBar, kNoAnswer);
  frontSettles();
  h.fake.runLoop.advance(10 * ReadCycle::kFirstRetry);
  EXPECT_EQ(reads(slow), static_cast<std::size_t>(ReadCycle::kReadAheadTries));
  h.modifiers(kPrimary);
  h.fake.runLoop.advance(0.5);
  h.modifiers(0);
  EXPECT_EQ(reads(slow), ReadCycle::kReadAheadTries + 1u);

  h.worker->held = true;
  start = 3;
  tree = h.bringToFront(42, "Editor", kEditor);
  frontSettles();
  h.modifiers(kPrimary);
  h.fake.runLoop.advance(0.5);
  h.worker->run();
  h.fake.runLoop.advance(0);
  EXPECT_EQ(h.shownApp(), "Editor");
  EXPECT_EQ(reads(tree), 1u);
}

struct OverlayWindowControllerTest : ::testing::Test {
  std::vector<ShortcutEntry> items{doubles::record("File", "New", "n"),
                                   doubles::record("Edit", "Copy", "c"),
                                   doubles::record("File", "Save", "s")};
  TranslationHelper t;
  doubles::FakeScreens screens;
  doubles::RecordingPanels panels;
  OverlayWindowController controller{screens, panels, t};
};

// A non-activating floating panel with the view, grouped by menu in harvest order, centred on a
// capped share of the visible frame. One prepared waits off screen until shown, and one prepared
// again is closed for good. Without a screen nothing is made, but the one up goes.
TEST_F(OverlayWindowControllerTest, ShowsAFloatingPanelOnACappedShareOfTheVisibleFrame) {
  const std::pair<Rect, Rect> cases[] = {
      {{{0, 0}, {1440, 875}}, {{120, 87.5}, {1200, 700}}},
      {{{0, 0}, {1280, 720}}, {{96, 72}, {1088, 576}}},
      {{{0, 0}, {2560, 1415}}, {{680, 307.5}, {1200, 800}}},  // both caps
      {{{100, 50}, {1000, 600}}, {{175, 110}, {850, 480}}},   // centred on the frame, not at 0
      {{{0, 0}, {200, 100}}, {{15, 10}, {170, 80}}},          // no minimum size
  };
  for (const auto& [visible, expected] : cases) {
    screens.visibleFrame = visible;
    EXPECT_TRUE(controller.prepareWithShortcuts(items, "Editor", {}));
    EXPECT_TRUE(controller.prepareWithShortcuts(items, "Editor", {}));
    const auto& replaced = *panels.created.end()[-2];
    EXPECT_EQ(std::pair(replaced.orderedFront, replaced.closes), std::pair(0ul, 1ul));
    EXPECT_EQ(panels.onScreenCount(), panels.created.size() > 2 ? 1u : 0u);  // the one up
    controller.showPrepared();
    EXPECT_TRUE(panels.created.back()->onScreen());
    EXPECT_EQ(panels.onScreenCount(), 1u);
    EXPECT_EQ(panels.created.back()->contentRect, expected);
  }
  const PanelSettings& s = panels.created[0]->settings;
  EXPECT_EQ(std::tuple(s.takesFocus, s.aboveOtherWindows, s.translucent, s.hasShadow,
                       s.showsWhileInactive),
            std::tuple(false, true, true, true, true));
  EXPECT_EQ(s.content->appName(), "Editor");
  EXPECT_EQ(s.content->groupedShortcuts(),
            (GroupedShortcuts{{"File", {items[0], items[2]}}, {"Edit", {items[1]}}}));
  screens.visibleFrame = std::nullopt;
  EXPECT_FALSE(controller.prepareWithShortcuts(items, "Editor", {}));
  controller.showPrepared();
  EXPECT_EQ(panels.created.size(), 10u);
  EXPECT_EQ(panels.onScreenCount(), 0u);
}

}  // namespace
}  // namespace tavrine
