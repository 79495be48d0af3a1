// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using modifier::kPrimary;

constexpr FocusPort::WindowHandle kEditorWindow = 0x2a00007, kPanelWindow = 0x3c00001;

// The editor in front, with the keyboard, and its menu bar built by hand to reach its items.
struct PinnedEditor {
  PinnedEditor() {
    save = &tree->addItem(tree->addMenu("File"), "Save", "s", 0);
    tree->addItem(tree->addMenu("Edit"), "Copy", "c", 0);
    h.fake.accessibility.add(42, tree);
    h.fake.workspace.frontmost = RunningApplication{42, "Editor", nullptr, {}, {}, {}, {}};
    h.fake.focus.focused = kEditorWindow;
  }
  // Command held for the hold time: the overlay comes up.
  void holdCommand() {
    h.modifiers(kPrimary);
    h.fake.runLoop.advance(0.5);
    ASSERT_EQ(h.shownApp(), "Editor");
  }
  doubles::RecordingPanel& panel() { return *h.fake.panels.created.back(); }
  const ShortcutItem& shown(const std::string& menu) {
    return panel().settings.content->groupedShortcuts().at(menu).front().item;
  }

  doubles::AppHarness h;
  std::shared_ptr<ax::MemoryTree> tree = std::make_shared<ax::MemoryTree>();
  ax::MemoryElement* save = nullptr;
};

// Pinned, the panel holds the keyboard and gives it back, once, to the window that had it; after
// a click outside, a window that took the keyboard keeps it. (When it stays: the hold table.)
TEST(PinnedOverlayTest, PinnedItHoldsTheKeyboardAndGivesItBack) {
  PinnedEditor e;
  e.holdCommand();
  EXPECT_EQ(e.panel().madeKey, 0u);
  EXPECT_EQ(e.panel().settings.content->actions(), e.h.delegate);
  e.h.delegate->pinOverlay();
  e.h.delegate->pinOverlay();  // pinned already: nothing more
  EXPECT_EQ(e.panel().madeKey, 1u);
  e.h.fake.focus.focused = kPanelWindow;
  e.h.delegate->closePinnedOverlay();
  e.h.delegate->closePinnedOverlay();  // once only
  EXPECT_EQ(e.h.fake.focus.given, std::vector{kEditorWindow});
  for (const FocusPort::WindowHandle taker : {0x4e00002, 0}) {
    e.h.fake.focus.focused = kEditorWindow;
    e.holdCommand();
    e.h.delegate->pinOverlay();
    e.h.fake.focus.focused = taker;
    e.h.delegate->pinnedOverlayLostKeyboard();
    e.h.modifiers(0);
  }
  EXPECT_FALSE(e.panel().onScreen() || e.h.delegate->isOverlayPinned());
  EXPECT_EQ(e.h.fake.focus.given, std::vector({kEditorWindow, kEditorWindow}));
}

// Running a pinned row presses its own menu item (on the worker); a row no menu item stands
// behind (a sheet's) is typed as its chord into the window that had the keyboard, once it has it
// again within the wait, never when that window could not take it back. Either way the overlay
// closes and the keyboard goes back. A row not pinned, of no source, that cannot be typed, or
// whose item refuses the press leaves everything as it was.
TEST(PinnedOverlayTest, RunningARowPressesItsMenuItemOrTypesItsChord) {
  const ShortcutItem sheet("Edit", "Duplicate", KeyChord::make(KeyChord::kPrimary, "D"),
                           ShortcutOrigin{"sheet", {}, {}});
  const ShortcutItem untypable("Edit", "Copy", KeyChord::make(KeyChord::kAlt, "C"),
                               ShortcutOrigin{"sheet", {}, {}});
  const struct {
    const char* row;  // a menu shown, "sheet", "untypable" or "none"
    bool pin = true, refuse = false, accepts = true;
    double readyAfter = 0;  // until the keyboard is back
    bool runs = true, closes = true;
    std::vector<std::string> pressed = {};
    bool typed = false;
  } cases[] = {
      {"Edit", false, false, true, 0, false, false},
      {"none", true, false, true, 0, false, false},
      {"untypable", true, false, true, 0, false, false},
      {"File", true, true, true, 0, true, false},
      {"Edit", true, false, true, 0, true, true, {"Copy"}},
      {"sheet", true, false, true, 0.5, true, true, {}, true},
      {"sheet", true, false, true, PinnedOverlay::kChordWait + 0.1, true, true},
      {"sheet", true, false, false, 0, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.row) + " " + std::to_string(c.readyAfter));
    PinnedEditor e;
    e.h.fake.keys.untypable = untypable.chord();
    e.holdCommand();
    if (c.pin) e.h.delegate->pinOverlay();
    if (c.refuse) e.save->refuse(ax::Action::press, ax::Error::cannotComplete);
    e.h.fake.focus.focused = kPanelWindow;
    e.h.fake.focus.accepts = c.accepts;
    e.h.fake.keys.ready = false;
    const std::string row = c.row;
    const ShortcutItem* item = row == "sheet"       ? &sheet
                               : row == "untypable" ? &untypable
                               : row == "none"      ? nullptr
                                                    : &e.shown(row);
    EXPECT_EQ(e.h.delegate->runShortcut(item), c.runs);
    e.h.fake.runLoop.advance(c.readyAfter);
    EXPECT_TRUE(e.h.fake.keys.sent.empty()) << "not before the keyboard is back";
    e.h.fake.focus.focused = kEditorWindow;
    e.h.fake.keys.ready = true;
    e.h.fake.runLoop.advance(2);
    EXPECT_EQ(e.tree->reads().pressed, c.pressed);
    using Sent = decltype(e.h.fake.keys.sent);
    EXPECT_EQ(e.h.fake.keys.sent, (c.typed ? Sent{{kEditorWindow, sheet.chord()}} : Sent{}));
    EXPECT_EQ(e.panel().onScreen(), !c.closes);
    EXPECT_EQ(e.h.delegate->isOverlayPinned(), c.pin && !c.closes);
    EXPECT_EQ(e.h.fake.focus.given.size(), c.closes ? 1u : 0u);
  }
}

}  // namespace
}  // namespace tavrine
