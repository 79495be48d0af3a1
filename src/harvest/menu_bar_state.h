// SPDX-License-Identifier: MIT
// What a read found of an application's menu bar, and so why it gave no rows, for the overlay's
// line in their place and for `--list`.
#pragma once

#include <string>

namespace tavrine {

enum class MenuBarState {
  notRead,        // no menu-bar source asked
  noApplication,  // the application is not on the accessibility interface
  noMenuBar,      // none, or one without menus
  unopened,       // menus without items: many toolkits fill them only when opened
  noShortcuts,    // items, none with a key
  unanswered,     // the application did not answer in time
  shortcuts,
};

// Why the application in front has no rows of its own, and where the user's sheet for it would
// go (empty when no source reads sheets).
struct EmptyReason {
  MenuBarState menuBar = MenuBarState::notRead;
  std::string userSheet;
  friend bool operator==(const EmptyReason&, const EmptyReason&) = default;
};

}  // namespace tavrine
