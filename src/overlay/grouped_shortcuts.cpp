// SPDX-License-Identifier: MIT
#include "overlay/grouped_shortcuts.h"

namespace tavrine {

GroupedShortcuts groupByMenu(const std::vector<ShortcutEntry>& rows) {
  GroupedShortcuts groups;
  for (const ShortcutEntry& row : rows)
    groups[row.item.menuPath()].push_back(row);
  return groups;
}

std::vector<ShortcutGroup> groupByHeading(const std::vector<ShortcutItem>& shortcuts) {
  std::vector<ShortcutGroup> groups;
  std::unordered_map<std::string, std::size_t, text::CanonicalHash, text::CanonicalEqual> index;
  for (const ShortcutItem& s : shortcuts) {
    const auto [at, added] = index.try_emplace(s.menuPath(), groups.size());
    if (added) groups.push_back({s.menuPath(), s.menuPathZH(), {}});
    groups[at->second].items.push_back(s);
  }
  return groups;
}

}  // namespace tavrine
