// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using modifier::kPrimary;
using modifier::kShift;

constexpr std::string_view kEditor = "File\n  Save  [⌘S]\nEdit\n  Copy  [⌘C]\n";
constexpr FocusPort::WindowHandle kEditorWindow = 0x2a00007;

class PinnedOverlayTest : public ::testing::Test {
 protected:
  PinnedOverlayTest() {
    h.bringToFront(42, "Editor", kEditor);
    h.fake.focus.focused = kEditorWindow;
  }

  // Command held for the hold time: the overlay comes up.
  void holdCommand() {
    h.modifiers(kPrimary);
    loop.advance(0.5);
    ASSERT_EQ(h.shownApp(), "Editor");
  }
  doubles::RecordingPanel& panel() { return *h.fake.panels.created.back(); }
  const ShortcutItem& shown(const std::string& menu) {
    return panel().settings.content->groupedShortcuts().at(menu).front().item;
  }
  // The editor's menu bar built by hand, to reach its items.
  void useTree() {
    tree_ = std::make_shared<ax::MemoryTree>();
    save_ = &tree_->addItem(tree_->addMenu("File"), "Save", "s", 0);
    tree_->addItem(tree_->addMenu("Edit"), "Copy", "c", 0);
    h.fake.accessibility.add(42, tree_);
  }
  ax::MemoryTree& tree() { return *tree_; }

  doubles::AppHarness h{true, OverlayStyle{KeyCapStyle::words}};
  doubles::VirtualRunLoop& loop = h.fake.runLoop;
  std::shared_ptr<ax::MemoryTree> tree_;
  ax::MemoryElement* save_ = nullptr;
};

// Pinned, the panel holds the keyboard and gives it back, once, to the window that had it; after
// a click outside, a window that took the keyboard keeps it. (When it stays: the hold table.)
TEST_F(PinnedOverlayTest, PinnedItHoldsTheKeyboardAndGivesItBack) {
  holdCommand();
  EXPECT_EQ(panel().madeKey, 0u);
  EXPECT_EQ(panel().settings.content->actions(), h.delegate);
  h.delegate->pinOverlay();
  h.delegate->pinOverlay();  // pinned already: nothing more
  EXPECT_EQ(panel().madeKey, 1u);
  h.fake.focus.focused = 0x3c00001;  // the panel's
  h.delegate->closePinnedOverlay();
  h.delegate->closePinnedOverlay();  // once only
  EXPECT_EQ(h.fake.focus.given, std::vector{kEditorWindow});
  for (const FocusPort::WindowHandle taker : {0x4e00002, 0}) {
    h.fake.focus.focused = kEditorWindow;
    holdCommand();
    h.delegate->pinOverlay();
    h.fake.focus.focused = taker;
    h.delegate->pinnedOverlayLostKeyboard();
    h.modifiers(0);
  }
  EXPECT_FALSE(panel().onScreen() || h.delegate->isOverlayPinned());
  EXPECT_EQ(h.fake.focus.given, std::vector({kEditorWindow, kEditorWindow}));
}

// Running presses the row's own menu item, then closes and gives the keyboard back; a row that
// can be neither pressed nor typed, or whose item refuses the press, leaves everything as it was.
TEST_F(PinnedOverlayTest, RunningPressesTheRowsMenuItem) {
  useTree();
  holdCommand();
  EXPECT_FALSE(h.delegate->runShortcut(&shown("Edit")));  // not pinned: nothing runs
  h.delegate->pinOverlay();
  EXPECT_FALSE(h.delegate->runShortcut(nullptr));  // a catalogue row
  const ShortcutItem stranger("Edit", "Copy", KeyChord::make(KeyChord::kAlt, "C"),
                              ShortcutOrigin{"sheet", {}, {}});
  h.fake.keys.untypable = stranger.chord();  // nor typed
  EXPECT_FALSE(h.delegate->runShortcut(&stranger));
  save_->refuse(ax::Action::press, ax::Error::cannotComplete);
  EXPECT_TRUE(h.delegate->runShortcut(&shown("File")));  // tried on the worker, and refused
  loop.advance(0);
  EXPECT_TRUE(tree().reads().pressed.empty());
  EXPECT_TRUE(panel().onScreen() && h.delegate->isOverlayPinned());

  EXPECT_TRUE(h.delegate->runShortcut(&shown("Edit")));
  loop.advance(0);
  EXPECT_EQ(tree().reads().pressed, std::vector<std::string>{"Copy"});
  EXPECT_FALSE(panel().onScreen());
  EXPECT_EQ(h.fake.focus.given, std::vector<FocusPort::WindowHandle>{kEditorWindow});
}

// A row no menu item stands behind (a sheet's, a shortcuts window's) is typed as its chord into
// the window that had the keyboard, once it has it again: not before, not after the wait, and
// not when the window could not take it back. (One the layout cannot type: the test above.)
TEST_F(PinnedOverlayTest, ARowWithoutAMenuItemIsTypedOnceTheKeyboardIsBack) {
  useTree();
  const ShortcutItem row("Edit", "Duplicate", KeyChord::make(KeyChord::kPrimary, "D"),
                         ShortcutOrigin{"sheet", {}, {}});
  const auto run = [&](bool ready) {
    holdCommand();
    h.delegate->pinOverlay();
    h.fake.focus.focused = 0x3c00001;  // the panel's
    h.fake.keys.ready = ready;
    return h.delegate->runShortcut(&row);
  };
  EXPECT_TRUE(run(false));
  EXPECT_FALSE(panel().onScreen());
  loop.advance(0.5);
  h.fake.keys.ready = true;
  EXPECT_TRUE(h.fake.keys.sent.empty());
  loop.advance(2);
  EXPECT_EQ(h.fake.keys.sent, (decltype(h.fake.keys.sent){{kEditorWindow, row.chord()}}));
  EXPECT_TRUE(tree().reads().pressed.empty());

  EXPECT_TRUE(run(false));
  loop.advance(PinnedOverlay::kChordWait + 0.1);
  h.fake.focus.accepts = false;
  EXPECT_TRUE(run(true));  // the window has gone
  h.fake.focus.focused = kEditorWindow;
  h.fake.keys.ready = true;
  loop.advance(2);
  EXPECT_EQ(h.fake.keys.sent.size(), 1u);
}

}  // namespace
}  // namespace tavrine
