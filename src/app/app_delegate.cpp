// SPDX-License-Identifier: MIT
#include "app/app_delegate.h"

#include <utility>

namespace tavrine {

AppDelegate::AppDelegate(const Platform& platform, std::vector<ShortcutSourceRef> sources,
                         TranslationHelper& t, OverlayStyle overlayStyle)
    : platform_(platform),
      t_(t),
      overlayStyle_(overlayStyle),
      hold_(
          platform.runLoop, [this] { reads_.startHoldRead(); }, [this] { reads_.holdCompleted(); }),
      reads_(platform, std::move(sources), t, *this, worker_),
      pinned_(platform, worker_, [this] { hideOverlay(); }) {}

std::shared_ptr<AppDelegate> AppDelegate::create(const Platform& platform,
                                                 std::vector<ShortcutSourceRef> sources,
                                                 TranslationHelper& t, OverlayStyle overlayStyle) {
  // Not make_shared: the constructor is private.
  std::shared_ptr<AppDelegate> delegate(
      new AppDelegate(platform, std::move(sources), t, overlayStyle));
  // The parts' timers and jobs do nothing once the delegate is gone.
  delegate->hold_.setOwner(delegate);
  delegate->reads_.setOwner(delegate);
  delegate->pinned_.setOwner(delegate);
  return delegate;
}

void AppDelegate::applicationDidFinishLaunching() {
  platform_.application.setActivationPolicy(ActivationPolicy::accessory);
  setupStatusBar();
  startLocalMonitoring();
  if (platform_.trust.isProcessTrusted()) startGlobalMonitoring();
}

void AppDelegate::startLocalMonitoring() {
  // The tokens are not kept: these monitors live as long as the process.
  platform_.events.addLocalMonitor(kEventMaskFlagsChanged,
                                   [weak = weak_from_this()](EventRef event) {
                                     const std::shared_ptr<AppDelegate> self = weak.lock();
                                     if (self && event) self->handleFlagsChanged(*event);
                                     return event;
                                   });
  platform_.events.addLocalMonitor(kEventMaskKeyDown, [weak = weak_from_this()](EventRef event) {
    if (const std::shared_ptr<AppDelegate> self = weak.lock()) self->cancelCommandTimer();
    return event;
  });
}

void AppDelegate::startGlobalMonitoring() {
  if (flagsMonitor_) return;
  flagsMonitor_ = platform_.events.addGlobalMonitor(
      kEventMaskFlagsChanged, [weak = weak_from_this()](const Event& event) {
        if (const std::shared_ptr<AppDelegate> self = weak.lock()) self->handleFlagsChanged(event);
      });
  keyMonitor_ = platform_.events.addGlobalMonitor(
      kEventMaskKeyDown, [weak = weak_from_this()](const Event& /*event*/) {
        if (const std::shared_ptr<AppDelegate> self = weak.lock()) self->cancelCommandTimer();
      });
  if (!flagsMonitor_) return;
  frontMonitor_ = platform_.events.addFrontmostMonitor([weak = weak_from_this()] {
    if (const std::shared_ptr<AppDelegate> self = weak.lock()) self->frontmostChanged();
  });
}

void AppDelegate::cancelCommandTimer() {
  hold_.keyPressed();
  pinned_.keyPressed();
}

void AppDelegate::handleFlagsChanged(const Event& event) {
  const modifier::Flags flags = event.modifierFlags();
  // Every modifier change ends a pending hold; Command alone starts a new one below.
  hold_.interrupt();
  // The pinned overlay stays whatever the modifiers do, and no hold starts behind it.
  if (pinned_.pinned()) return hold_.end();
  if (pinned_.followGesture(flags, trigger_)) {
    showPinnedOverlay();
    return hold_.end();
  }
  if ((flags & modifier::kDeviceIndependentMask) != trigger_) {
    hold_.end();
    hideOverlay();
    return;
  }
  hold_.arm();
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
  } else if (action == menu_action::kShowSettings) {
    showSettings();
  } else if (action == menu_action::kShowAbout) {
    showAbout();
  } else if (action == menu_action::kShowPinnedOverlay) {
    showPinnedOverlay();
  } else if (action == menu_action::kQuitApp) {
    quitApp();
  } else {
    return false;
  }
  return true;
}

}  // namespace tavrine
