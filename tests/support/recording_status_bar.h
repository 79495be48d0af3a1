// A status bar that records the items and menus the code builds and lets a test open the menu
// and choose items the way a user would.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status_bar.h"

namespace tavrine::doubles {

class SymbolImage final : public Image {
 public:
  SymbolImage(std::string symbolName, std::string accessibilityDescription)
      : name(std::move(symbolName)), description(std::move(accessibilityDescription)) {}
  std::string name;
  std::string description;
};

class RecordingButton final : public StatusBarButton {
 public:
  void setImage(ImageRef newImage) override { image = std::move(newImage); }
  ImageRef image;
};

class RecordingStatusItem final : public StatusItem {
 public:
  RecordingStatusItem(double length, bool hasButton);
  StatusBarButton* button() override { return button_.get(); }
  void setMenu(MenuRef newMenu) override { menu = std::move(newMenu); }

  double length;
  MenuRef menu;
  // The concrete button, null when the item has none.
  RecordingButton* recordingButton() { return button_.get(); }

 private:
  std::unique_ptr<RecordingButton> button_;
};

class RecordingStatusBar final : public StatusBarPort {
 public:
  StatusItemRef statusItemWithLength(double length) override;
  ImageRef systemSymbolImage(std::string_view name, std::string_view description) override;

  // Conditions the platform may impose; both available by default.
  void setButtonsAvailable(bool available) { buttonsAvailable_ = available; }
  void setSymbolsAvailable(bool available) { symbolsAvailable_ = available; }
  // Where actions of items without a target end up (the application delegate).
  void setResponderChainEnd(std::weak_ptr<MenuActionTarget> end) { responderEnd_ = std::move(end); }

  const std::vector<std::shared_ptr<RecordingStatusItem>>& items() const { return items_; }
  // The menu of the first status item, or null.
  MenuRef menu() const;

  // A click on the status item: tells the menu's delegate, then returns the menu. Null when
  // there is no item or it has no menu.
  MenuRef open();
  // Opens the menu (tells its delegate) and chooses the item reached by following `titles`
  // through submenus. Returns whether an action was performed: false when an item is missing,
  // disabled or only opens a submenu.
  bool choose(std::initializer_list<std::string_view> titles);

  // The item reached from `menu` by `titles`, or null.
  static MenuItemRef find(const Menu& menu, std::initializer_list<std::string_view> titles);

 private:
  std::vector<std::shared_ptr<RecordingStatusItem>> items_;
  bool buttonsAvailable_ = true;
  bool symbolsAvailable_ = true;
  std::weak_ptr<MenuActionTarget> responderEnd_;
};

}  // namespace tavrine::doubles
