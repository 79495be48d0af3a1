// SPDX-License-Identifier: MIT
#include "overlay/grouped_shortcuts.h"

namespace tavrine {

GroupedShortcuts groupByMenu(const std::vector<ShortcutItem>& items) {
  GroupedShortcuts groups;
  for (const ShortcutItem& item : items)
    groups[item.menuPath()].push_back(item);
  return groups;
}

}  // namespace tavrine
