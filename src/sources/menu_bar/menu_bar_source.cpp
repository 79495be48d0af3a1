// SPDX-License-Identifier: MIT
#include "sources/menu_bar/menu_bar_source.h"

#include <utility>

#include "harvest/accessibility_helper.h"

namespace tavrine {

std::vector<ShortcutItem> MenuBarSource::shortcuts(const FrontApplication& app) const {
  return answer(app).rows;
}

ShortcutSource::Answer MenuBarSource::answer(const FrontApplication& app) const {
  Answer answer;
  if (app.unresponsive) {
    answer.menuBar = MenuBarState::unanswered;
    return answer;
  }
  // No application is left out, this one included.
  AccessibilityHelper::MenuBarRead read = AccessibilityHelper::readMenuBar(
      accessibility_, app.pid, app.ahead ? ax::Patience::ahead : ax::Patience::hold);
  // The walk's records are the menu bar's rows as they are.
  answer.rows = std::move(read.items);
  answer.unanswered = read.unanswered;
  answer.menuBar = read.state;
  return answer;
}

}  // namespace tavrine
