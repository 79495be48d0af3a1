// SPDX-License-Identifier: MIT
// The application delegate: reacts to launching, the status menu, modifier changes and the
// permission grant. Everything runs on the main thread, except what its worker does: asking the
// sources and pressing menu items, whose results come back through the main queue.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "app/hold_trigger.h"
#include "app/pinned_overlay.h"
#include "app/read_cycle.h"
#include "app/worker.h"
#include "i18n/translation_helper.h"
#include "overlay/overlay_window_controller.h"
#include "ports/platform.h"
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
inline constexpr std::string_view kShowSettings = "showSettings";
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
inline constexpr std::string_view kSettings = "Settings…";
}  // namespace menu_title

// Composes the hold, the reads and the pinned overlay, and owns the status menu, the monitors and
// the overlay on screen. Monitor handlers, timers and menu items refer back to the delegate weakly
// and do nothing once it is gone (a local monitor still passes its event on), so it only exists as
// a shared object.
class AppDelegate final : public std::enable_shared_from_this<AppDelegate>,
                          public MenuDelegate,
                          public MenuActionTarget,
                          public OverlayActions,
                          private ReadCycle::Host {
 public:
  static constexpr double kReleasePollInterval = 0.1;
  static constexpr double kPermissionPollInterval = 1.0;

  // The ports and `t` must outlive the delegate. Each overlay shows what `sources` answer, the
  // menu bar first (mergeShortcuts), in the platform's `overlayStyle`.
  static std::shared_ptr<AppDelegate> create(const Platform& platform,
                                             std::vector<ShortcutSourceRef> sources,
                                             TranslationHelper& t = TranslationHelper::shared(),
                                             OverlayStyle overlayStyle = {});

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
  // Where the platform has a Settings window: how to open it, given before the status menu is
  // built, which then offers it under the language.
  void setOpenSettings(std::function<void()> openSettings) {
    openSettings_ = std::move(openSettings);
  }
  void showSettings();
  void quitApp();
  bool performMenuAction(std::string_view action, MenuItem& sender) override;
  StatusItemRef statusItem() const { return statusItem_; }

  // Hold detection.
  // The modifier bit whose hold alone brings the overlay up (kPrimary unless the user chose
  // another), and how long the hold lasts; both from the next hold on.
  void setTrigger(modifier::Flags key) { trigger_ = key; }
  void setHoldDuration(double seconds) { hold_.setDuration(seconds); }
  // Applications the user never wants the overlay over: not read, not shown.
  void setNeverShowOver(std::function<bool(const RunningApplication&)> excluded) {
    reads_.setExcluded(std::move(excluded));
  }
  // Where the overlay menu's "Never show over" choice goes, to be remembered.
  void onNeverShowOver(std::function<void(const RunningApplication&)> add) {
    neverShowOver_ = std::move(add);
  }
  void startLocalMonitoring();
  // Installs the global monitors unless they are installed; safe to repeat. Reading ahead
  // starts with them.
  void startGlobalMonitoring();
  // Whether the global monitors are installed.
  bool globalMonitoring() const { return flagsMonitor_ != nullptr; }
  // A key press cancels a hold that has not completed; it never shows or hides the overlay.
  void cancelCommandTimer();
  // The trigger alone (of the device-independent modifiers) arms a hold; anything else ends a
  // pending hold and hides the overlay.
  void handleFlagsChanged(const Event& event);

  // Overlay cycle. showOverlay asks the sources about the application in front on the worker
  // and shows the answer when it comes, unless a key or modifier change came in between or
  // another application came to the front.
  void showOverlay() { reads_.showNow(); }
  void hideOverlay();
  // Reading ahead: an application that comes to the front is asked in the background, once per
  // process, so that one that builds its menus only when first asked (LibreOffice) has them by
  // the first hold, and a hold that comes while it is read shows that read's answer. Nothing runs
  // while the front stays the same.
  void frontmostChanged() { reads_.frontmostChanged(); }
  // The identity of a process beside its pid (its start time), which tells a pid used again
  // apart; 0 when unknown. Called on the main thread.
  void setProcessStart(std::function<std::uint64_t(std::int32_t pid)> processStart) {
    reads_.setProcessStart(std::move(processStart));
  }
  // Before the first hold: where the sources are asked and menu items pressed (a thread of its
  // own unless replaced; tests run the jobs by hand).
  void useWorker(std::shared_ptr<Worker> worker) { worker_ = std::move(worker); }
  // Created on the first show that has something to show, then kept.
  OverlayWindowController* overlay() const { return overlayController_.get(); }

  // Pinned overlay. Pinning stops the release poll and gives the panel the keyboard; while
  // pinned, modifier changes neither hide nor show anything.
  void pinOverlay() override;
  bool isOverlayPinned() const override { return pinned_.pinned(); }
  void closePinnedOverlay() override { pinned_.close(); }
  void pinnedOverlayLostKeyboard() override { pinned_.lostKeyboard(); }
  bool runShortcut(const ShortcutItem* item) override { return pinned_.runShortcut(item); }
  void neverShowOverShownApplication() override;
  // The status menu's item: the overlay of the application in front, pinned at once.
  void showPinnedOverlay();

 private:
  AppDelegate(const Platform& platform, std::vector<ShortcutSourceRef> sources,
              TranslationHelper& t, OverlayStyle overlayStyle);

  // ReadCycle::Host (isOverlayPinned, above, answers it too)
  std::uint64_t inputGeneration() const override { return hold_.generation(); }
  bool holdOn() const override { return hold_.on(); }
  bool holdCompleted() const override { return hold_.completed(); }
  bool prepare(const RunningApplication& app, ReadCycle::Answer& answer) override;
  void present(const RunningApplication& app, ReadCycle::AnswerRef answer, bool prepared, bool pin,
               FocusPort::WindowHandle focusBefore) override;

  // A new release poll, replacing the running one.
  void restartReleasePoll();
  void stopReleasePoll();

  Platform platform_;
  TranslationHelper& t_;
  OverlayStyle overlayStyle_;
  std::unique_ptr<OverlayWindowController> overlayController_;
  // Global monitors; a token in flagsMonitor_ means both are installed.
  MonitorToken flagsMonitor_;
  MonitorToken keyMonitor_;
  MonitorToken frontMonitor_;
  // The release poll (repeating) while the overlay is shown.
  TimerRef releasePoll_;
  // The running permission poll, if any.
  TimerRef permissionPoll_;
  StatusItemRef statusItem_;
  MenuItemRef accessibilityMenuItem_;
  MenuItemRef languageMenuItem_;
  modifier::Flags trigger_ = modifier::kPrimary;
  std::function<void(const RunningApplication&)> neverShowOver_;
  // The application of the overlay last put on screen.
  std::optional<RunningApplication> shownApp_;
  std::function<void()> openSettings_;
  HoldTrigger hold_;
  ReadCycle reads_;
  PinnedOverlay pinned_;
  // Last: destroyed first, so no job outlives what it was given.
  std::shared_ptr<Worker> worker_;
};

}  // namespace tavrine
