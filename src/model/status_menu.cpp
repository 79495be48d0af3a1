// SPDX-License-Identifier: MIT
#include "model/status_menu.h"

namespace tavrine {

MenuItem::MenuItem(std::string title, std::optional<MenuAction> action, std::string keyEquivalent)
    : title_(std::move(title)),
      action_(std::move(action)),
      keyEquivalent_(std::move(keyEquivalent)) {}

MenuItem::MenuItem(SeparatorTag) : separator_(true) {}

MenuItemRef MenuItem::separatorItem() {
  return MenuItemRef(new MenuItem(SeparatorTag{}));
}

std::shared_ptr<MenuActionTarget> MenuItem::target() const {
  return target_ ? target_->lock() : nullptr;
}

bool MenuItem::isEnabled() const {
  return !separator_ && (action_.has_value() || submenu_ != nullptr);
}

void Menu::willOpen() {
  // Hold the delegate for the call: it may drop the last other reference to itself.
  if (std::shared_ptr<MenuDelegate> d = delegate()) d->menuWillOpen(*this);
}

bool performMenuItemAction(MenuItem& item, MenuActionTarget* responderChainEnd) {
  if (item.isSeparator() || !item.action()) return false;
  // Copy: the action may rewrite the item's own action.
  const MenuAction action = *item.action();
  if (item.hasTarget()) {
    std::shared_ptr<MenuActionTarget> target = item.target();
    return target && target->performMenuAction(action, item);
  }
  return responderChainEnd && responderChainEnd->performMenuAction(action, item);
}

}  // namespace tavrine
