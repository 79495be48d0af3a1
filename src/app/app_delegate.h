// SPDX-License-Identifier: MIT
// The application delegate: owns all long-lived state (status item, monitors, timers, overlay
// controller) and reacts to launching, the status menu, modifier changes and the permission
// grant. Everything runs on the main thread, except what its worker does: asking the sources and
// pressing menu items, whose results come back through the main queue.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

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
  // When, into a hold, the sources are asked about the application in front: late enough that
  // an ordinary Ctrl+key has had its key, early enough that a read that runs into its deadline
  // (a quarter of a second) is back before the hold completes.
  static constexpr double kReadStart = 0.2;
  // An application that did not answer is asked again in the background, at a hold or while one
  // lasts, at most once per interval, which doubles from the first up to the last.
  static constexpr double kFirstRetry = 1.0;
  static constexpr double kLastRetry = 32.0;
  // An application that comes to the front is read ahead once it has stayed there this long, so
  // that passing through windows (Alt+Tab) reads none of them.
  static constexpr double kReadAheadSettle = 0.3;
  // Reads ahead of one process that may go unanswered before it is left to the holds.
  static constexpr int kReadAheadTries = 3;

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
  // The pending hold's read (one-shot, at kReadStart), cancelled with the hold.
  TimerRef readTimer;
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
  // Reading ahead starts with them.
  void startGlobalMonitoring();
  // A key press cancels a hold that has not completed; it never shows or hides the overlay.
  void cancelCommandTimer();
  // Command alone (of the device-independent modifiers) arms a hold of holdDuration; anything
  // else ends a pending hold and hides the overlay.
  void handleFlagsChanged(const Event& event);

  // Overlay cycle. showOverlay asks the sources about the application in front on the worker
  // and shows the answer when it comes, unless a key or modifier change came in between or
  // another application came to the front.
  void showOverlay();
  void hideOverlay();
  // Reading ahead: an application that comes to the front is asked in the background, once per
  // process, so that one that builds its menus only when first asked (LibreOffice) has them by
  // the first hold, and a hold that comes while it is read shows that read's answer. Nothing runs
  // while the front stays the same.
  void frontmostChanged();
  // The identity of a process beside its pid (its start time), which tells a pid used again
  // apart; 0 when unknown. Called on the main thread.
  std::function<std::uint64_t(std::int32_t pid)> processStart;
  // Before the first hold: where the sources are asked and menu items pressed (a thread of its
  // own unless replaced; tests run the jobs by hand).
  void useWorker(std::shared_ptr<Worker> worker) { worker_ = std::move(worker); }

  // Pinned overlay. Pinning stops the release poll and gives the panel the keyboard; while
  // pinned, modifier changes neither hide nor show anything. The keyboard's way to pin: with
  // the overlay up, Shift pressed and released twice while Command stays down and no other key
  // is pressed (no application shortcut is a modifier alone).
  bool overlayPinned = false;
  void pinOverlay() override;
  bool isOverlayPinned() const override { return overlayPinned; }
  void closePinnedOverlay() override;
  void pinnedOverlayLostKeyboard() override;
  bool runShortcut(const ShortcutItem* item) override;
  // The status menu's item: the overlay of the application in front, pinned at once.
  void showPinnedOverlay();

 private:
  AppDelegate(const Platform& platform, std::vector<ShortcutSourceRef> sources,
              TranslationHelper& t, OverlayStyle overlayStyle);

  // A new release poll in commandHoldTimer, replacing the running one.
  void restartReleasePoll();

  // What the sources answered, with the records grouped as the overlay shows them: made and
  // freed on the worker, so that a large menu costs the main thread nothing per row.
  struct Answer {
    MergedShortcuts shortcuts;
    GroupedShortcuts groups;  // moved into the overlay when it is prepared
  };
  using AnswerRef = std::shared_ptr<Answer>;
  // A read of the sources for one hold (or the status menu's item).
  struct Read {
    std::uint64_t id = 0;
    std::uint64_t generation = 0;
    RunningApplication app;
    AnswerRef result;
    bool due = false;  // shown as soon as the result arrives
    bool pin = false;  // pinned once shown
    FocusPort::WindowHandle focusBefore = 0;
    bool unasked = false;   // the application itself was not asked: it did not answer before
    bool prepared = false;  // its overlay is laid out off screen
  };
  // Asks the sources about the application in front, on the worker; false when there is none.
  bool startRead(bool pin);
  FrontApplication frontOf(const RunningApplication& app);
  // Asks every source on the worker; the answer comes back to readArrived under `id`.
  void askSources(const FrontApplication& front, std::uint64_t id);
  struct ReadTag {
    std::uint64_t generation;  // inputGeneration_ when asked
    std::uint64_t id;          // the Read asked for
  };
  void readArrived(ReadTag tag, std::int32_t pid, bool asked, AnswerRef answer);
  void scheduleReadAhead(double after);
  void readAhead();
  // A read ahead's answer came; true when the hold that waits for it asks again instead.
  bool readAheadArrived(std::uint64_t id, std::int32_t pid, const MergedShortcuts& shortcuts);
  // The hold completed: shows what was read, or what will be.
  void holdCompleted();
  // Shows the finished read if it is still this hold's and its application is still in front.
  void showRead();
  // Lays the overlay out off screen; false when there is nothing to show or no screen.
  bool prepare(const RunningApplication& app, Answer& answer);
  void present(const RunningApplication& app, AnswerRef answer, bool prepared, bool pin,
               FocusPort::WindowHandle focusBefore);
  void pressed(std::uint64_t serial, bool done);

  // Applications that did not answer in time, by pid.
  struct Unresponsive {
    std::uint64_t start = 0;  // processStart's answer
    double retryAfter = kFirstRetry;
    bool retryDue = false;
    bool retrying = false;
    TimerRef retryTimer;
  };
  bool knownUnresponsive(std::int32_t pid);
  void noteAnswer(std::int32_t pid, bool unanswered);
  // Asks again in the background, the answer coming back under `id`, when a retry is due.
  void retryUnresponsive(const FrontApplication& front, std::uint64_t id);
  std::uint64_t processStartOf(std::int32_t pid) const {
    return processStart ? processStart(pid) : 0;
  }
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
  std::optional<Read> read_;
  std::uint64_t lastReadId_ = 0;
  // The rows of the overlay shown last, with their sources, and its count.
  AnswerRef shown_;
  std::uint64_t shownSerial_ = 0;
  bool pressPending_ = false;
  std::unordered_map<std::int32_t, Unresponsive> unresponsive_;
  MonitorToken frontMonitor_;
  TimerRef readAheadTimer_;
  struct ReadAhead {
    std::uint64_t start = 0;  // processStart's answer
    int tries = 0;
    bool ready = false;  // it answered with rows
  };
  // Processes read ahead, by pid; forgotten all at once past kMaxReadAhead.
  static constexpr std::size_t kMaxReadAhead = 256;
  std::unordered_map<std::int32_t, ReadAhead> readAhead_;
  // The last answer with rows, shown for the same process when it does not answer in time.
  struct LastAnswer {
    std::int32_t pid = 0;
    std::uint64_t start = 0;  // processStart's answer
    AnswerRef answer;
  };
  LastAnswer lastAnswer_;
  std::uint64_t aheadId_ = 0;  // the read ahead under way; 0 when none
  std::int32_t aheadPid_ = 0;
  // Last: destroyed first, so no job outlives what it was given.
  std::shared_ptr<Worker> worker_;
};

}  // namespace tavrine
