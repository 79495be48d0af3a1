// SPDX-License-Identifier: MIT
// The application delegate: owns all long-lived state (status item, monitors, timers, overlay
// controller) and reacts to launching, the status menu, modifier changes and the permission
// grant. Everything runs on the main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "i18n/translation_helper.h"
#include "overlay/overlay_window_controller.h"
#include "platform/platform.h"
#include "sources/shortcut_source.h"

namespace tavrine {

// Names of the status menu's actions, as the items carry them.
namespace menu_action {
inline constexpr std::string_view kSetLanguageEN = "setLanguageEN";
inline constexpr std::string_view kSetLanguageZH = "setLanguageZH";
inline constexpr std::string_view kRequestAccessibility = "requestAccessibility";
inline constexpr std::string_view kShowAbout = "showAbout";
inline constexpr std::string_view kQuitApp = "quitApp";
inline constexpr std::string_view kShowPinnedOverlay = "showPinnedOverlay";
}  // namespace menu_action

// Status menu texts; the same in both UI languages.
namespace menu_title {
inline constexpr std::string_view kLanguage = "🌐 Language";
inline constexpr std::string_view kEnglish = "English";
inline constexpr std::string_view kChinese = "中文";
inline constexpr std::string_view kNotTrusted = "\u2717 辅助功能未授权\uFF08点击授权\uFF09";
inline constexpr std::string_view kTrusted = "\u2713 辅助功能权限已授权";
inline constexpr std::string_view kAbout = "About Tavrine";
inline constexpr std::string_view kQuit = "Quit";
inline constexpr std::string_view kShowPinned = "Show Shortcuts of the Front Application";
}  // namespace menu_title

// Monitor handlers, timers and menu items refer back to the delegate weakly and do nothing once it
// is gone (a local monitor still passes its event on), so it only exists as a shared object.
class AppDelegate final : public std::enable_shared_from_this<AppDelegate>,
                          public MenuDelegate,
                          public MenuActionTarget,
                          public OverlayActions {
 public:
  static constexpr double kReleasePollInterval = 0.1;
  static constexpr double kPermissionPollInterval = 1.0;
  // A row run by its chord waits, polling this often and this long, for the keyboard to be back
  // in the application's window; past the wait nothing is typed.
  static constexpr double kChordPollInterval = 0.02;
  static constexpr double kChordWait = 1.0;

  // The ports and `t` must outlive the delegate. Each overlay shows what `sources` answer, the
  // menu bar first (mergeShortcuts), in the platform's `overlayStyle`.
  static std::shared_ptr<AppDelegate> create(const Platform& platform,
                                             std::vector<ShortcutSourceRef> sources,
                                             TranslationHelper& t = TranslationHelper::shared(),
                                             OverlayStyle overlayStyle = {});

  // Created on the first show that has something to show, then kept.
  std::unique_ptr<OverlayWindowController> overlayController;
  // Global monitors; a token in flagsMonitor means both are installed.
  MonitorToken flagsMonitor;
  MonitorToken keyMonitor;
  // The pending hold (one-shot); after it fired it still refers to the spent timer until the
  // next modifier change or key press.
  TimerRef commandPressTimer;
  // The release poll (repeating) while the overlay is shown.
  TimerRef commandHoldTimer;
  const double holdDuration = 0.5;  // seconds
  StatusItemRef statusItem;
  MenuItemRef accessibilityMenuItem;
  MenuItemRef languageMenuItem;

  // Makes the process a status-bar-only application, builds the status menu and installs the
  // monitors (the global ones only when already trusted; no prompt at launch).
  void applicationDidFinishLaunching();

  // Status menu. Built once; every opening refreshes the check marks and the accessibility item.
  void setupStatusBar();
  void menuWillOpen(Menu& menu) override;
  void setLanguageEN();
  void setLanguageZH();
  // Prompts for trust, then awaits it (awaitAccessibility).
  void requestAccessibility();
  // Polls every second, asking for nothing, until trust is granted, then installs the global
  // monitors. One poll at most: a call while one runs joins it.
  void awaitAccessibility();
  void showAbout();
  void quitApp();
  bool performMenuAction(std::string_view action, MenuItem& sender) override;

  // Hold detection.
  void startLocalMonitoring();
  // Installs the global monitors unless flagsMonitor already holds a token; safe to repeat.
  void startGlobalMonitoring();
  // A key press cancels a hold that has not completed; it never shows or hides the overlay.
  void cancelCommandTimer();
  // Command alone (of the device-independent modifiers) arms a hold of holdDuration; anything
  // else ends a pending hold and hides the overlay.
  void handleFlagsChanged(const Event& event);

  // Overlay cycle.
  void showOverlay();
  void hideOverlay();

  // Pinned overlay. Pinning stops the release poll and gives the panel the keyboard; while
  // pinned, modifier changes neither hide nor show anything. The keyboard's way to pin: with
  // the overlay up, Shift pressed and released twice while Command stays down and no other key
  // is pressed (no application shortcut is a modifier alone).
  bool overlayPinned = false;
  void pinOverlay() override;
  bool isOverlayPinned() const override { return overlayPinned; }
  void closePinnedOverlay() override;
  bool runShortcut(const ShortcutItem* item) override;
  // The status menu's item: the overlay of the application in front, pinned at once.
  void showPinnedOverlay();

 private:
  AppDelegate(const Platform& platform, std::vector<ShortcutSourceRef> sources,
              TranslationHelper& t, OverlayStyle overlayStyle);

  // A new release poll in commandHoldTimer, replacing the running one.
  void restartReleasePoll();
  // Follows the pinning gesture; true when this change completed it.
  bool trackPinGesture(modifier::Flags flags);
  // Closes the pinned overlay; true when the keyboard went back to the window that had it.
  bool closeAndGiveBack();
  // Runs `item` by typing its chord into the window that had the keyboard, once it has it
  // again; false, with the overlay left as it is, when its chord cannot be typed here.
  bool typeChord(const ShortcutItem& item);

  // The running permission poll, if any.
  TimerRef permissionPoll_;

  Platform platform_;
  std::vector<ShortcutSourceRef> sources_;
  TranslationHelper& t_;
  OverlayStyle overlayStyle_;
  // Counts modifier changes and key presses; a hold's show, queued when its timer fired, goes
  // ahead only if none came in since the hold began.
  std::uint64_t inputGeneration_ = 0;
  // The application whose overlay was shown last: its menu bar runs the rows.
  std::int32_t shownPid_ = 0;
  // The window that had the keyboard before the overlay was pinned.
  FocusPort::WindowHandle focusBefore_ = 0;
  // Awaits the keyboard's return before a row's chord is typed.
  TimerRef chordWait_;
  struct PinGesture {
    bool armed = false;  // an overlay came up during this hold of Command
    bool shiftDown = false;
    int taps = 0;
  };
  PinGesture pinGesture_;
};

}  // namespace tavrine
