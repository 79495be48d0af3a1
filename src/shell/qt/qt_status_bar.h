// SPDX-License-Identifier: MIT
// The status-bar port on Qt: a QSystemTrayIcon whose menu is a QMenu rendered from the core's
// Menu model.
#pragma once

#include <QString>
#include <memory>
#include <string_view>

#include "ports/status_bar.h"

class QMenu;
class QSystemTrayIcon;

namespace tavrine::qt {

class QtMenuBinding;

// Whether status items get a tray icon (and so a button).
enum class TrayAvailability {
  automatic,  // when QSystemTrayIcon::isSystemTrayAvailable() says there is a tray
  always,     // always (a tray may come later; useful to tests on the offscreen platform)
  never,      // never: the items have no button, only their menu
};

class QtStatusBarButton;

// A status item: the tray icon (absent when there is no system tray) and the menu it opens.
// Clicking the icon opens the menu (on Linux a left click too, not only the context click).
class QtStatusItem final : public StatusItem {
 public:
  QtStatusItem(bool withTrayIcon, std::shared_ptr<std::weak_ptr<MenuActionTarget>> responderEnd);
  ~QtStatusItem() override;
  QtStatusItem(const QtStatusItem&) = delete;
  QtStatusItem& operator=(const QtStatusItem&) = delete;

  // Null when there is no tray icon.
  StatusBarButton* button() override;
  // Renders `menu` (null detaches the current one) and attaches it to the tray icon.
  void setMenu(MenuRef menu) override;

  // The tray icon, or null; shown while it has an icon.
  QSystemTrayIcon* trayIcon() const { return tray_.get(); }
  // The rendered menu, or null before setMenu.
  QMenu* menu() const;
  // The model shown, or null.
  MenuRef menuModel() const;

 private:
  std::shared_ptr<std::weak_ptr<MenuActionTarget>> responderEnd_;
  std::unique_ptr<QSystemTrayIcon> tray_;
  std::unique_ptr<QtStatusBarButton> button_;
  std::unique_ptr<QtMenuBinding> binding_;
};

class QtStatusBar final : public StatusBarPort {
 public:
  // `themeIconName`: an icon-theme name preferred to the drawn "command.square" where the theme
  // has it (the installed program's symbolic icon); empty, always the drawn one.
  explicit QtStatusBar(TrayAvailability tray = TrayAvailability::automatic,
                       QString themeIconName = {});

  // Where actions of items without a target go: the application delegate. Held weakly; set it
  // before the user can choose an item.
  void setResponderChainEnd(std::weak_ptr<MenuActionTarget> end);

  // A tray icon is as wide as its icon, so the length is not used.
  StatusItemRef statusItemWithLength(double length) override;
  // "command.square" (the Command sign in a rounded square; see commandSquareIcon(themeName)
  // with the theme icon above); null for any other name.
  ImageRef systemSymbolImage(std::string_view name,
                             std::string_view accessibilityDescription) override;

 private:
  TrayAvailability tray_;
  QString themeIconName_;
  std::shared_ptr<std::weak_ptr<MenuActionTarget>> responderEnd_;
};

}  // namespace tavrine::qt
