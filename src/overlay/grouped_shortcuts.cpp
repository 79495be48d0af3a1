// SPDX-License-Identifier: MIT
#include "overlay/grouped_shortcuts.h"

#include <string_view>

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

DesktopBindings::DesktopBindings(const std::vector<ShortcutItem>& systemShortcuts) {
  for (const ShortcutItem& s : systemShortcuts) {
    // The first binding of a chord is the one the desktop runs.
    if (s.source() == kDesktopBindingSource) byChord_.try_emplace(s.chord(), s);
  }
}

const ShortcutItem* DesktopBindings::taking(const ShortcutEntry& row) const {
  if (row.chords.size() != 1) return nullptr;
  const auto found = byChord_.find(row.chords.front());
  return found == byChord_.end() ? nullptr : &found->second;
}

std::string takenByTheDesktop(const ShortcutItem& binding, bool zh) {
  if (zh)
    return "已被桌面占用：" + (binding.titleZH().empty() ? binding.title() : binding.titleZH());
  return "taken by the desktop: " + binding.title();
}

}  // namespace tavrine
