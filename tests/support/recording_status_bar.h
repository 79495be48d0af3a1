// SPDX-License-Identifier: MIT
// A status bar that records the items and menus the code builds and lets a test open the menu
// and choose items the way a user would.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ports/status_bar.h"

namespace tavrine::doubles {

// The icon, which the Qt shell's tests check on the real tray.
struct SilentButton final : StatusBarButton {
  void setImage(ImageRef) override {}
};

struct RecordingStatusItem final : StatusItem {
  StatusBarButton* button() override { return &silentButton; }
  void setMenu(MenuRef newMenu) override { menu = std::move(newMenu); }
  double length = 0;
  MenuRef menu;
  SilentButton silentButton;
};

struct RecordingStatusBar final : StatusBarPort {
  StatusItemRef statusItemWithLength(double length) override {
    auto item = std::make_shared<RecordingStatusItem>();
    item->length = length;
    items.push_back(item);
    return item;
  }
  ImageRef systemSymbolImage(std::string_view, std::string_view) override { return nullptr; }

  // The menu of the first status item, or null.
  MenuRef menu() const { return items.empty() ? nullptr : items.front()->menu; }
  // A click on the status item: tells the menu's delegate, then returns the menu.
  MenuRef open() {
    if (menu()) menu()->willOpen();
    return menu();
  }
  // The item reached from the menu by following `titles` through submenus, or null.
  MenuItemRef find(const std::vector<std::string>& titles) const {
    MenuItemRef found;
    for (const std::string& title : titles) {
      const MenuRef level = found ? found->submenu() : menu();
      found = nullptr;
      for (const MenuItemRef& item : level ? level->itemArray() : std::vector<MenuItemRef>{})
        if (!item->isSeparator() && item->title() == title) found = item;
      if (!found) return nullptr;
    }
    return found;
  }
  // Opens the menu and chooses the item at `titles` (copied first: they may be views of titles
  // the opening rewrites). Whether an action was performed: false when an item is missing,
  // disabled or only opens a submenu.
  bool choose(std::initializer_list<std::string_view> titles) {
    const std::vector<std::string> path(titles.begin(), titles.end());
    open();
    const MenuItemRef item = find(path);
    return item && item->isEnabled() &&
           performMenuItemAction(*item, responderChainEnd.lock().get());
  }

  // Where actions of items without a target end up (the application delegate).
  std::weak_ptr<MenuActionTarget> responderChainEnd;
  std::vector<std::shared_ptr<RecordingStatusItem>> items;
};

}  // namespace tavrine::doubles
