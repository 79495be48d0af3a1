// SPDX-License-Identifier: MIT
#include "app/app_delegate.h"

#include <utility>

namespace tavrine {

AppDelegate::AppDelegate(const Platform& platform, std::vector<ShortcutSourceRef> sources,
                         TranslationHelper& t, OverlayStyle overlayStyle)
    : platform_(platform), sources_(std::move(sources)), t_(t), overlayStyle_(overlayStyle) {}

std::shared_ptr<AppDelegate> AppDelegate::create(const Platform& platform,
                                                 std::vector<ShortcutSourceRef> sources,
                                                 TranslationHelper& t, OverlayStyle overlayStyle) {
  // Not make_shared: the constructor is private.
  return std::shared_ptr<AppDelegate>(
      new AppDelegate(platform, std::move(sources), t, overlayStyle));
}

void AppDelegate::applicationDidFinishLaunching() {
  platform_.application.setActivationPolicy(ActivationPolicy::accessory);
  setupStatusBar();
  startLocalMonitoring();
  if (platform_.trust.isProcessTrusted()) startGlobalMonitoring();
}

void AppDelegate::showAbout() {
  platform_.application.orderFrontStandardAboutPanel();
}

void AppDelegate::quitApp() {
  platform_.application.terminate();
}

bool AppDelegate::performMenuAction(std::string_view action, MenuItem& /*sender*/) {
  if (action == menu_action::kSetLanguageEN) {
    setLanguageEN();
  } else if (action == menu_action::kSetLanguageZH) {
    setLanguageZH();
  } else if (action == menu_action::kRequestAccessibility) {
    requestAccessibility();
  } else if (action == menu_action::kShowAbout) {
    showAbout();
  } else if (action == menu_action::kQuitApp) {
    quitApp();
  } else {
    return false;
  }
  return true;
}

}  // namespace tavrine
