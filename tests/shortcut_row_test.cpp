#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "overlay/shortcut_row.h"
#include "overlay/system_shortcuts.h"

namespace tavrine {
namespace {

using Caps = std::vector<std::string>;

TEST(ShortcutRowTest, SplitsModifiersFromRunsOfOtherCharacters) {
  const std::vector<std::pair<std::string, Caps>> cases = {
      {"⌘C", {"⌘", "C"}},     {"⇧⌘Z", {"⇧", "⌘", "Z"}},     {"⌃⌥⇧⌘K", {"⌃", "⌥", "⇧", "⌘", "K"}},
      {"⌘Tab", {"⌘", "Tab"}}, {"⌥⌘Esc", {"⌥", "⌘", "Esc"}}, {"⌘⌫", {"⌘", "⌫"}},
      {"⌥⌫", {"⌥", "⌫"}},     {"⌘↑", {"⌘", "↑"}},           {"⌘SS", {"⌘", "SS"}},
      {"⌘⌘", {"⌘", "⌘"}},     {"A⌘B", {"A", "⌘", "B"}},     {"", {}},
      {"⌘ ", {"⌘", " "}}};
  for (const auto& [shortcut, caps] : cases)
    EXPECT_EQ(ShortcutRow::keyGroups(shortcut), caps) << shortcut;
}

TEST(ShortcutRowTest, WordsNameTheModifiersCtrlFirst) {
  const std::vector<std::pair<std::string, Caps>> cases = {
      {"⌘C", {"Ctrl", "C"}},
      {"⇧⌘Z", {"Ctrl", "Shift", "Z"}},
      {"⌃⌥⇧⌘K", {"Ctrl", "Alt", "Shift", "Super", "K"}},
      {"⌥⌘Esc", {"Ctrl", "Alt", "Esc"}},
      {"⌃⇧←", {"Shift", "Super", "←"}},
      {"⌥⌫", {"Alt", "⌫"}},
      {"⌃", {"Super"}},
      {"A⌘B", {"A", "Ctrl", "B"}},
      {"⌘\u0301X", {"⌘\u0301X"}},
      {"", {}}};
  for (const auto& [shortcut, caps] : cases)
    EXPECT_EQ(ShortcutRow::keyGroups(shortcut, KeyCapStyle::words), caps) << shortcut;
  // Glyphs keep the text's own order.
  EXPECT_EQ(ShortcutRow::keyGroups("⌘⌃K"), (Caps{"⌘", "⌃", "K"}));
}

TEST(ShortcutRowTest, TheRowSpeaksItsCapsInItsStyle) {
  const ShortcutRow words{"Redo", "⇧⌘Z", KeyCapStyle::words};
  EXPECT_EQ(words.keyGroups(), (Caps{"Ctrl", "Shift", "Z"}));
  EXPECT_EQ(words.spokenShortcut(), "Ctrl+Shift+Z");
  EXPECT_EQ((ShortcutRow{"Zoom In", "⌘+", KeyCapStyle::words}.spokenShortcut()), "Ctrl++");
  EXPECT_EQ((ShortcutRow{"Nothing", "", KeyCapStyle::words}.spokenShortcut()), "");
  EXPECT_EQ((ShortcutRow{"Redo", "⇧⌘Z"}.spokenShortcut()), "⇧⌘Z");
}

TEST(ShortcutRowTest, CombiningMarksStayWithTheirCharacter) {
  // E + combining acute is one character; a modifier glyph carrying a mark is no longer a modifier.
  EXPECT_EQ(ShortcutRow::keyGroups("⌘E\u0301"), (Caps{"⌘", "E\u0301"}));
  EXPECT_EQ(ShortcutRow::keyGroups("⌘\u0301X"), (Caps{"⌘\u0301X"}));
  EXPECT_EQ(ShortcutRow::keyGroups("\u0301⌘"), (Caps{"\u0301", "⌘"}));
}

TEST(ShortcutRowTest, CatalogueHoldsFourGroupsOfTwentySevenUniqueShortcuts) {
  const auto& groups = SystemShortcuts::groups();
  ASSERT_EQ(groups.size(), 4u);
  const std::vector<std::string> names = {"General", "Window", "System", "Text"};
  const std::vector<std::size_t> counts = {8, 6, 7, 6};
  std::size_t total = 0;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    EXPECT_EQ(groups[g].nameEN, names[g]);
    EXPECT_EQ(groups[g].items.size(), counts[g]);
    std::set<std::string_view> shortcuts;
    for (const auto& item : groups[g].items) {
      EXPECT_TRUE(shortcuts.insert(item.shortcut).second) << item.shortcut;
      EXPECT_FALSE(ShortcutRow::keyGroups(item.shortcut).empty());
    }
    total += groups[g].items.size();
  }
  EXPECT_EQ(total, 27u);
  EXPECT_EQ(groups[2].items[5].titleEN, "Force Quit");
  EXPECT_EQ(ShortcutRow::keyGroups(groups[2].items[5].shortcut), (Caps{"⌥", "⌘", "Esc"}));
  EXPECT_EQ(groups[3].items[4].titleZH, "删除整词");
  EXPECT_EQ(ShortcutRow::keyGroups(groups[3].items[4].shortcut), (Caps{"⌥", "⌫"}));
  EXPECT_EQ(&groups, &SystemShortcuts::groups());
}

}  // namespace
}  // namespace tavrine
