// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "overlay/shortcut_row.h"
#include "overlay/system_shortcuts.h"

namespace tavrine {
namespace {

constexpr std::array kDesktops = {Desktop::macOS, Desktop::gnome, Desktop::kde, Desktop::xfce,
                                  Desktop::otherLinux};

// 0..3 for ⌃ ⌥ ⇧ ⌘, the order the texts write them in; -1 for a key.
int glyphRank(std::string_view cap) {
  static constexpr std::array<std::string_view, 4> kOrder = {"⌃", "⌥", "⇧", "⌘"};
  for (std::size_t i = 0; i < kOrder.size(); ++i) {
    if (cap == kOrder[i]) return static_cast<int>(i);
  }
  return -1;
}

TEST(SystemShortcutsTest, EveryDesktopHasItsOwnFourGroupsOfDistinctWellFormedShortcuts) {
  std::set<const std::vector<SystemShortcuts::Group>*> catalogues;
  for (Desktop desktop : kDesktops) {
    const auto& groups = SystemShortcuts::groups(desktop);
    EXPECT_TRUE(catalogues.insert(&groups).second) << static_cast<int>(desktop);
    ASSERT_EQ(groups.size(), 4u);
    std::set<std::string_view> names;
    for (const SystemShortcuts::Group& group : groups) {
      EXPECT_TRUE(names.insert(group.nameEN).second) << group.nameEN;
      EXPECT_FALSE(group.nameZH.empty());
      EXPECT_FALSE(group.items.empty()) << group.nameEN;
      std::set<std::string_view> shortcuts;
      for (const SystemShortcuts::Item& item : group.items) {
        EXPECT_TRUE(shortcuts.insert(item.shortcut).second) << item.shortcut;
        EXPECT_FALSE(item.titleEN.empty());
        EXPECT_FALSE(item.titleZH.empty()) << item.titleEN;
        // Each modifier once, in the order ⌃⌥⇧⌘, then one key; a modifier alone is a key too.
        const std::vector<std::string> caps = ShortcutRow::keyGroups(item.shortcut);
        ASSERT_FALSE(caps.empty()) << item.titleEN;
        std::size_t i = 0;
        for (int last = -1; i < caps.size() && glyphRank(caps[i]) > last; ++i)
          last = glyphRank(caps[i]);
        EXPECT_TRUE(caps.size() == 1 || (i + 1 == caps.size() && glyphRank(caps[i]) < 0))
            << item.shortcut;
      }
    }
  }
}

TEST(SystemShortcutsTest, TheMacCatalogueHoldsTwentySevenShortcutsInFourGroups) {
  const auto& groups = SystemShortcuts::groups(Desktop::macOS);
  const std::vector<std::pair<std::string_view, std::size_t>> expected = {
      {"General", 8}, {"Window", 6}, {"System", 7}, {"Text", 6}};
  for (std::size_t g = 0; g < groups.size(); ++g) {
    EXPECT_EQ(groups[g].nameEN, expected[g].first);
    EXPECT_EQ(groups[g].items.size(), expected[g].second);
  }
  EXPECT_EQ(groups[2].items[5].titleEN, "Force Quit");
  EXPECT_EQ(groups[2].items[5].shortcut, "⌥⌘Esc");
  EXPECT_EQ(groups[3].items[4].titleZH, "删除整词");
}

}  // namespace
}  // namespace tavrine
