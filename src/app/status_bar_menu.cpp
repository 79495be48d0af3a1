// SPDX-License-Identifier: MIT
// The status item and its menu: language, settings, accessibility state and request, about, quit.
#include <memory>
#include <string>

#include "app/app_delegate.h"

namespace tavrine {
namespace {

constexpr std::string_view kStatusSymbol = "command.square";
constexpr std::string_view kStatusSymbolDescription = "Tavrine";

MenuItemRef makeItem(std::string_view title, std::optional<std::string_view> action,
                     std::string_view keyEquivalent = {}) {
  std::optional<MenuAction> name;
  if (action) name.emplace(*action);
  return std::make_shared<MenuItem>(std::string(title), std::move(name),
                                    std::string(keyEquivalent));
}

}  // namespace

void AppDelegate::setupStatusBar() {
  statusItem_ = platform_.statusBar.statusItemWithLength(kVariableStatusItemLength);
  if (StatusBarButton* button = statusItem_ ? statusItem_->button() : nullptr) {
    button->setImage(
        platform_.statusBar.systemSymbolImage(kStatusSymbol, kStatusSymbolDescription));
  }

  const std::weak_ptr<AppDelegate> self = weak_from_this();
  auto menu = std::make_shared<Menu>();
  menu->setDelegate(self);

  languageMenuItem_ = makeItem(menu_title::kLanguage, std::nullopt);
  auto languages = std::make_shared<Menu>();
  for (auto [title, action] : {std::pair{menu_title::kEnglish, menu_action::kSetLanguageEN},
                               std::pair{menu_title::kChinese, menu_action::kSetLanguageZH}}) {
    MenuItemRef item = makeItem(title, action);
    item->setTarget(self);
    languages->addItem(std::move(item));
  }
  languageMenuItem_->setSubmenu(std::move(languages));
  menu->addItem(languageMenuItem_);
  if (openSettings_) menu->addItem(makeItem(menu_title::kSettings, menu_action::kShowSettings));

  menu->addItem(MenuItem::separatorItem());

  // Title and action are chosen at every opening, from the trust of that moment.
  accessibilityMenuItem_ = makeItem("", menu_action::kRequestAccessibility);
  accessibilityMenuItem_->setTarget(self);
  menu->addItem(accessibilityMenuItem_);

  menu->addItem(MenuItem::separatorItem());
  // No target: these go along the responder chain, which ends at this delegate.
  menu->addItem(makeItem(menu_title::kAbout, menu_action::kShowAbout));
  menu->addItem(MenuItem::separatorItem());
  menu->addItem(makeItem(menu_title::kQuit, menu_action::kQuitApp, "q"));
  // After the others, which keep their places: the overlay for those who cannot hold a key.
  menu->addItem(MenuItem::separatorItem());
  menu->addItem(makeItem(menu_title::kShowPinned, menu_action::kShowPinnedOverlay));

  if (statusItem_) statusItem_->setMenu(std::move(menu));
}

void AppDelegate::menuWillOpen(Menu& /*menu*/) {
  if (languageMenuItem_ && languageMenuItem_->submenu()) {
    const bool isZH = t_.isZH();
    const auto& languages = languageMenuItem_->submenu()->itemArray();
    if (!languages.empty()) languages[0]->setState(isZH ? ControlState::off : ControlState::on);
    if (languages.size() > 1) languages[1]->setState(isZH ? ControlState::on : ControlState::off);
  }

  if (!platform_.trust.isProcessTrusted()) {
    if (accessibilityMenuItem_) {
      accessibilityMenuItem_->setTitle(std::string(menu_title::kNotTrusted));
      accessibilityMenuItem_->setAction(MenuAction(menu_action::kRequestAccessibility));
    }
    return;
  }
  if (accessibilityMenuItem_) {
    accessibilityMenuItem_->setTitle(std::string(menu_title::kTrusted));
    accessibilityMenuItem_->setAction(std::nullopt);  // shown disabled
  }
  // Trust may have been granted since launch without the permission poll seeing it.
  startGlobalMonitoring();
}

void AppDelegate::showSettings() {
  if (openSettings_) openSettings_();
}

void AppDelegate::setLanguageEN() {
  t_.setIsZH(false);
}

void AppDelegate::setLanguageZH() {
  t_.setIsZH(true);
}

}  // namespace tavrine
