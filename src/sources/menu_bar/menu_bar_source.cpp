// SPDX-License-Identifier: MIT
#include "sources/menu_bar/menu_bar_source.h"

#include "harvest/accessibility_helper.h"

namespace tavrine {

std::vector<SourcedShortcut> MenuBarSource::shortcuts(const FrontApplication& app) const {
  std::vector<SourcedShortcut> rows;
  // No application is left out, this one included.
  for (const ShortcutItem& item : AccessibilityHelper::getShortcuts(accessibility_, app.pid))
    rows.push_back({item.menuPath(), item.title(), item.chord(), kName, {}, {}});
  return rows;
}

}  // namespace tavrine
