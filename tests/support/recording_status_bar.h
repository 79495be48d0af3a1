// A status bar that records the items and menus the code builds and lets a test open the menu
// and choose items the way a user would.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status_bar.h"

namespace tavrine::doubles {

struct SymbolImage final : Image {
  SymbolImage(std::string_view symbolName, std::string_view accessibilityDescription)
      : name(symbolName), description(accessibilityDescription) {}
  std::string name;
  std::string description;
};

struct RecordingButton final : StatusBarButton {
  void setImage(ImageRef newImage) override { image = std::move(newImage); }
  ImageRef image;
};

struct RecordingStatusItem final : StatusItem {
  StatusBarButton* button() override { return recordingButton.get(); }
  void setMenu(MenuRef newMenu) override { menu = std::move(newMenu); }
  double length = 0;
  MenuRef menu;
  std::unique_ptr<RecordingButton> recordingButton;  // null when the item has none
};

class RecordingStatusBar final : public StatusBarPort {
 public:
  StatusItemRef statusItemWithLength(double length) override;
  ImageRef systemSymbolImage(std::string_view name, std::string_view description) override;

  // Conditions the platform may impose.
  bool buttonsAvailable = true;
  bool symbolsAvailable = true;
  // Where actions of items without a target end up (the application delegate).
  std::weak_ptr<MenuActionTarget> responderChainEnd;
  std::vector<std::shared_ptr<RecordingStatusItem>> items;

  // The menu of the first status item, or null.
  MenuRef menu() const { return items.empty() ? nullptr : items.front()->menu; }
  // A click on the status item: tells the menu's delegate, then returns the menu.
  MenuRef open();
  // Opens the menu and chooses the item reached by following `titles` through submenus. Returns
  // whether an action was performed: false when an item is missing, disabled or opens a submenu.
  bool choose(std::initializer_list<std::string_view> titles);
  // The item reached from the menu by `titles`, or null.
  MenuItemRef find(std::initializer_list<std::string_view> titles) const;
};

}  // namespace tavrine::doubles
