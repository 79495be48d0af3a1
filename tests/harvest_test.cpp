// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "backends/memory/memory_accessibility.h"
#include "harvest/accessibility_helper.h"
#include "harvest/key_equivalent.h"

namespace tavrine {
namespace {

using ax::Error;
using ax::MemoryElement;
using ax::MemoryTree;

using Texts = std::tuple<std::string, std::string, std::string>;

std::vector<Texts> harvest(MemoryTree& tree) {
  std::vector<Texts> out;
  for (const auto& i : AccessibilityHelper::getShortcuts(tree.application()))
    out.emplace_back(i.menuPath(), i.title(), i.shortcut());
  return out;
}

TEST(HarvestTest, WalksEveryMenuButAppleInDepthFirstOrder) {
  MemoryTree tree;
  tree.addItem(tree.addMenu("Apple"), "About This Mac", "a");
  MemoryElement& app = tree.addMenu("apple");
  tree.addItem(app, "Apple", "p", 0);
  MemoryElement& edit = tree.addMenu("Edit");
  tree.addItem(edit, "Undo", "z", 0);
  MemoryElement& find = tree.addItem(edit, "Find", "f", 2);
  tree.addItem(tree.submenu(find), "Find…", "f");
  MemoryElement& nested = tree.addItem(tree.submenu(find), "More");
  tree.addItem(tree.submenu(nested), "Deep", "d", 1);
  tree.addItem(edit, "Redo", "z", 1);
  tree.addItem(tree.addMenu("File"), "Undo", "z", 0);

  EXPECT_EQ(harvest(tree), (std::vector<Texts>{{"apple", "Apple", "⌘P"},
                                               {"Edit", "Undo", "⌘Z"},
                                               {"Edit", "Find", "⌥⌘F"},
                                               {"Edit", "Find…", "⌘F"},
                                               {"Edit", "Deep", "⇧⌘D"},
                                               {"Edit", "Redo", "⇧⌘Z"},
                                               {"File", "Undo", "⌘Z"}}));
}

TEST(HarvestTest, OddAnswersNarrowTheResultInsteadOfFailing) {
  MemoryTree tree;
  MemoryElement& untitledBar = tree.addMenu("");
  tree.addItem(untitledBar, "Hidden", "h");
  MemoryElement& numberTitledBar = tree.newElement();  // a title that is not a string
  numberTitledBar.setValue(ax::Attribute::title, std::int64_t{1});
  tree.menuBar().appendChild(tree.ref(numberTitledBar));
  tree.addItem(tree.submenu(numberTitledBar), "Hidden too", "h");
  tree.menuBar().appendChild(ax::Other{"value"});  // not an element
  MemoryElement& view = tree.addMenu("View");

  MemoryElement& untitled = tree.addItem(view, "", "u");
  tree.addItem(tree.submenu(untitled), "Under untitled", "x");
  MemoryElement& noKey = tree.addItem(view, "Titled without key");
  tree.addItem(tree.submenu(noKey), "Under titled", "y");
  MemoryElement& failedKey = tree.addItem(view, "Failed key");
  failedKey.set(ax::Attribute::keyCharacter, {Error::cannotComplete, std::string("k")});
  MemoryElement& numberKey = tree.addItem(view, "Number key");
  numberKey.setValue(ax::Attribute::keyCharacter, std::int64_t{75});
  MemoryElement& stringMask = tree.addItem(view, "String mask", "s");
  stringMask.setValue(ax::Attribute::keyModifiers, std::string("1"));
  tree.addItem(view, "Space", " ", 0);
  MemoryElement& numberTitle = tree.addItem(view, "placeholder", "n");
  numberTitle.setValue(ax::Attribute::title, std::int64_t{3});
  tree.submenu(view).appendChild(ax::Other{"value"});
  tree.addItem(view, "Last", "l", 4);
  // Titles that draw nothing are none: the item and what is under it are left out.
  tree.addItem(tree.addMenu("\u3164"), "Hidden", "h");  // a Hangul filler
  MemoryElement& blank = tree.addItem(view, "\u200B\u00A0\u2060\u202E\u2800", "b");
  tree.addItem(tree.submenu(blank), "Under", "u");
  tree.addItem(view, "\u200BCut", "x");

  EXPECT_EQ(harvest(tree), (std::vector<Texts>{{"View", "Under titled", "⌘Y"},
                                               {"View", "String mask", "⌘S"},
                                               {"View", "Space", "⌘Space"},
                                               {"View", "Last", "⌃⌘L"},
                                               {"View", "\u200BCut", "⌘X"}}));
}

// A backend that reads accelerators as keys answers the key read with the chord itself: taken as
// it is, with no modifier read; a failed read still gives nothing.
TEST(HarvestTest, AKeyReadAsAChordIsTakenAsItIs) {
  MemoryTree tree;
  MemoryElement& edit = tree.addMenu("Edit");
  tree.addItem(edit, "Redo")
      .setValue(ax::Attribute::keyCharacter,
                KeyChord::make(KeyChord::kShift | KeyChord::kPrimary, "Z"));
  tree.addItem(edit, "Failed")
      .set(ax::Attribute::keyCharacter, {Error::cannotComplete, KeyChord::make(0, NamedKey::f1)});
  tree.resetReads();
  EXPECT_EQ(harvest(tree), (std::vector<Texts>{{"Edit", "Redo", "⇧⌘Z"}}));
  EXPECT_EQ(tree.reads().byAttribute.count(ax::Attribute::keyModifiers), 0u);
}

TEST(HarvestTest, MenuBarFailuresGiveAnEmptyListAfterOneRead) {
  MemoryTree failed;
  failed.addItem(failed.addMenu("File"), "New", "n");
  failed.application().set(ax::Attribute::menuBar,
                           {Error::cannotComplete, failed.ref(failed.menuBar())});
  EXPECT_TRUE(harvest(failed).empty());
  EXPECT_EQ(failed.reads().total, 1u);

  MemoryTree noBar;
  noBar.application().set(ax::Attribute::menuBar, {});
  EXPECT_TRUE(harvest(noBar).empty());
}

TEST(HarvestTest, ReadsOnlyWhatEachLevelNeeds) {
  MemoryTree tree;
  MemoryElement& file = tree.addMenu("File");
  tree.addItem(file, "New", "n", 0);  // title, key, modifiers, children
  tree.addItem(file, "Recent");       // title, key, children
  tree.addItem(file, "");             // title only
  tree.resetReads();
  ASSERT_EQ(harvest(tree).size(), 1u);
  // 2 for the bar, 2 for the bar item, 1 for the menu, 4 + 3 + 1 for the items.
  EXPECT_EQ(tree.reads().total, 13u);
  EXPECT_EQ(tree.reads().byAttribute.at(ax::Attribute::keyModifiers), 1u);
}

TEST(HarvestTest, HostileTreesEndWithWhatWasHarvested) {
  MemoryTree loop;
  MemoryElement& menu = loop.addMenu("Edit");
  MemoryElement& item = loop.addItem(menu, "Copy", "c");
  loop.submenu(item).appendChild(loop.ref(menu));  // the menu again below its own item
  item.appendChild(loop.ref(item));                // and the item below itself
  EXPECT_EQ(harvest(loop), (std::vector<Texts>{{"Edit", "Copy", "⌘C"}}));

  MemoryTree deep;
  MemoryElement* level = &deep.addMenu("Deep");
  for (int i = 0; i < 100; ++i)
    level = &deep.submenu(deep.addItem(*level, std::to_string(i), "d"));
  EXPECT_EQ(harvest(deep).size(), AccessibilityHelper::kMaxMenuDepth);

  MemoryTree wide;
  MemoryElement& big = wide.addMenu("Big");
  for (std::size_t i = 0; i < AccessibilityHelper::kMaxRecords + 5; ++i)
    wide.addItem(big, "I", "i");
  EXPECT_EQ(harvest(wide).size(), AccessibilityHelper::kMaxRecords);

  // Shared submenus without a loop would otherwise double the work at every level.
  MemoryTree diamond;
  MemoryElement* layer = &diamond.addMenu("Diamond");
  for (int i = 0; i < 60; ++i) {
    MemoryElement& next = diamond.newElement();
    for (int j = 0; j < 2; ++j) {
      MemoryElement& fork = diamond.addItem(*layer, "Fork");
      fork.appendChild(diamond.ref(next));
    }
    layer = &next;
  }
  harvest(diamond);
  EXPECT_LE(diamond.reads().total, 4 * AccessibilityHelper::kMaxItemsVisited + 10);
}

// The controls and AppKit's function-key characters name every key, no two alike to see or
// hear; F1 to F35 by their numbers.
TEST(NamedKeyTest, EveryKeyHasACommandCharacterAndLooksAndSoundsItsOwn) {
  std::set<NamedKey> named;
  for (char32_t c = 0; c < 0xF800; c = c == 0x7F ? 0xF700 : c + 1) {
    if (const std::optional<NamedKey> key = namedKey(c)) named.insert(*key);
  }
  EXPECT_EQ(named.size(), static_cast<std::size_t>(NamedKey::space) + 1);
  std::set<std::string> seen;
  for (int k = 0; k <= static_cast<int>(NamedKey::space); ++k) {
    const auto key = static_cast<NamedKey>(k);
    for (const std::string& s : {"cap " + keyCapText(key), "mac " + keyName(key, KeyNames::mac),
                                 "linux " + keyName(key, KeyNames::desktopLinux)})
      EXPECT_TRUE(seen.insert(s).second) << s;
  }
  for (int n = 0; n <= 36; ++n) {
    const std::optional<NamedKey> key = functionKey(n);
    ASSERT_EQ(key.has_value(), n >= 1 && n <= 35) << n;
    if (key) {
      EXPECT_EQ(keyCapText(*key), "F" + std::to_string(n));
    }
  }
}

}  // namespace
}  // namespace tavrine
