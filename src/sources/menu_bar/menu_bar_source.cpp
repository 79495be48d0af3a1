// SPDX-License-Identifier: MIT
#include "sources/menu_bar/menu_bar_source.h"

#include "harvest/accessibility_helper.h"

namespace tavrine {

std::vector<SourcedShortcut> MenuBarSource::shortcuts(const FrontApplication& app) const {
  return answer(app).rows;
}

ShortcutSource::Answer MenuBarSource::answer(const FrontApplication& app) const {
  Answer answer;
  if (app.unresponsive) return answer;
  // No application is left out, this one included.
  const AccessibilityHelper::MenuBarRead read = AccessibilityHelper::readMenuBar(
      accessibility_, app.pid, app.ahead ? ax::Patience::ahead : ax::Patience::hold);
  for (const ShortcutItem& item : read.items)
    answer.rows.push_back({item.menuPath(), item.title(), item.chord(), kName, {}, {}});
  answer.unanswered = read.unanswered;
  return answer;
}

}  // namespace tavrine
