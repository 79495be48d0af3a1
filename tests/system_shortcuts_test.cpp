// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <unordered_set>
#include <vector>

#include "overlay/grouped_shortcuts.h"
#include "sources/system/system_shortcuts.h"

namespace tavrine {
namespace {

constexpr std::array kDesktops = {Desktop::macOS, Desktop::gnome, Desktop::kde, Desktop::xfce,
                                  Desktop::otherLinux};

TEST(SystemShortcutsTest, EveryDesktopHasItsOwnFourGroupsOfDistinctShortcuts) {
  std::set<const std::vector<ShortcutItem>*> catalogues;
  for (Desktop desktop : kDesktops) {
    const auto& catalogue = SystemShortcuts::catalogue(desktop);
    EXPECT_TRUE(catalogues.insert(&catalogue).second) << static_cast<int>(desktop);
    // The source delivers its desktop's catalogue to the system section.
    const SystemShortcuts source(desktop);
    EXPECT_EQ(source.placement(), ShortcutSource::Placement::system);
    const std::vector<ShortcutItem> rows = source.shortcuts({});
    ASSERT_EQ(rows.size(), catalogue.size());
    EXPECT_EQ(rows.front().title(), catalogue.front().title());
    const std::vector<ShortcutGroup> groups = groupByHeading(catalogue);
    ASSERT_EQ(groups.size(), 4u);
    for (const ShortcutGroup& group : groups) {
      EXPECT_FALSE(group.headingZH.empty());
      EXPECT_FALSE(group.items.empty()) << group.heading;
      std::unordered_set<KeyChord, KeyChordHash> chords;
      for (const ShortcutItem& item : group.items) {
        EXPECT_TRUE(chords.insert(item.chord()).second) << item.title();
        EXPECT_FALSE(item.title().empty());
        EXPECT_FALSE(item.titleZH().empty()) << item.title();
        EXPECT_FALSE(keyCaps(item.chord()).empty()) << item.title();
        EXPECT_EQ(item.source(), SystemShortcuts::kName);
      }
    }
  }
}

}  // namespace
}  // namespace tavrine
