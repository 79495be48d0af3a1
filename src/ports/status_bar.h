// SPDX-License-Identifier: MIT
// The status-item port: an item in the system status bar that shows an icon and opens a menu.
#pragma once

#include <memory>
#include <string_view>

#include "model/status_menu.h"
#include "ports/image.h"

namespace tavrine {

class StatusBarButton {
 public:
  virtual ~StatusBarButton() = default;
  // Null removes the image.
  virtual void setImage(ImageRef image) = 0;
};

// An item in the system status bar. Clicking it opens its menu.
class StatusItem {
 public:
  virtual ~StatusItem() = default;
  // The button that shows the item's icon; null when the platform gives none.
  virtual StatusBarButton* button() = 0;
  virtual void setMenu(MenuRef menu) = 0;
};
using StatusItemRef = std::shared_ptr<StatusItem>;

// As wide as its content.
inline constexpr double kVariableStatusItemLength = -1;

class StatusBarPort {
 public:
  virtual ~StatusBarPort() = default;

  // A new item in the system status bar, shown while the returned reference is held.
  virtual StatusItemRef statusItemWithLength(double length) = 0;
  // A system symbol image ("command.square"), or null when unavailable.
  virtual ImageRef systemSymbolImage(std::string_view name,
                                     std::string_view accessibilityDescription) = 0;
};

}  // namespace tavrine
