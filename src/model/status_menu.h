// SPDX-License-Identifier: MIT
// The menu model the status item opens. Menus are plain data that the core builds and edits;
// the shell renders them, tells the menu before it opens (so its delegate can refresh the items)
// and reports the item the user chose.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/modifier_flags.h"

namespace tavrine {

class Menu;
class MenuItem;
using MenuRef = std::shared_ptr<Menu>;
using MenuItemRef = std::shared_ptr<MenuItem>;

// Named like the method that performs it ("quitApp").
using MenuAction = std::string;

// An object that menu items send their actions to.
class MenuActionTarget {
 public:
  virtual ~MenuActionTarget() = default;
  // Performs `action` on behalf of `sender`; false when this target has no such action.
  virtual bool performMenuAction(std::string_view action, MenuItem& sender) = 0;
};

class MenuDelegate {
 public:
  virtual ~MenuDelegate() = default;
  // Called just before the menu is shown; the items may be changed here and are read after.
  virtual void menuWillOpen(Menu& menu) = 0;
};

enum class ControlState { off = 0, on = 1 };

class MenuItem {
 public:
  // An item with no action shows disabled unless it opens a submenu.
  MenuItem(std::string title, std::optional<MenuAction> action, std::string keyEquivalent);
  static MenuItemRef separatorItem();

  bool isSeparator() const { return separator_; }

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }

  const std::optional<MenuAction>& action() const { return action_; }
  void setAction(std::optional<MenuAction> action) { action_ = std::move(action); }

  // Empty for none. Pressed together with keyEquivalentModifierMask() (Command unless set).
  const std::string& keyEquivalent() const { return keyEquivalent_; }
  modifier::Flags keyEquivalentModifierMask() const { return keyEquivalentModifierMask_; }

  // Held weakly. An item without a target sends its action along the responder chain, which
  // ends at the application delegate.
  void setTarget(std::weak_ptr<MenuActionTarget> target) { target_ = std::move(target); }
  bool hasTarget() const { return target_.has_value(); }
  // The target if set and still alive, else null.
  std::shared_ptr<MenuActionTarget> target() const;

  ControlState state() const { return state_; }
  void setState(ControlState state) { state_ = state; }

  const MenuRef& submenu() const { return submenu_; }
  void setSubmenu(MenuRef submenu) { submenu_ = std::move(submenu); }

  // Whether the user can choose it: not a separator, and an action or a submenu to open.
  bool isEnabled() const;

 private:
  struct SeparatorTag {};
  explicit MenuItem(SeparatorTag);

  bool separator_ = false;
  std::string title_;
  std::optional<MenuAction> action_;
  std::string keyEquivalent_;
  modifier::Flags keyEquivalentModifierMask_ = modifier::kPrimary;
  std::optional<std::weak_ptr<MenuActionTarget>> target_;
  ControlState state_ = ControlState::off;
  MenuRef submenu_;
};

class Menu {
 public:
  void addItem(MenuItemRef item) { items_.push_back(std::move(item)); }
  // In display order, top to bottom.
  const std::vector<MenuItemRef>& itemArray() const { return items_; }

  // Held weakly.
  void setDelegate(std::weak_ptr<MenuDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<MenuDelegate> delegate() const { return delegate_.lock(); }

  // What the shell calls just before it shows this menu: tells the delegate, if any.
  void willOpen();

 private:
  std::vector<MenuItemRef> items_;
  std::weak_ptr<MenuDelegate> delegate_;
};

// What choosing `item` does: its action goes to its target or, when it has none, to
// `responderChainEnd` (the application delegate; may be null). Returns whether the action was
// performed; disabled items and items whose target is gone do nothing.
bool performMenuItemAction(MenuItem& item, MenuActionTarget* responderChainEnd);

}  // namespace tavrine
