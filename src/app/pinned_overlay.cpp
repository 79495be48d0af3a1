// SPDX-License-Identifier: MIT
// The pinned overlay: kept after the release, searched from the keyboard, and closed by Esc, a
// click outside or running a row, after which the keyboard goes back where it was.
#include <memory>
#include <utility>
#include <vector>

#include "app/app_delegate.h"
#include "harvest/accessibility_helper.h"
#include "sources/menu_bar/menu_bar_source.h"

namespace tavrine {

bool AppDelegate::trackPinGesture(modifier::Flags flags) {
  const modifier::Flags mods = flags & modifier::kDeviceIndependentMask;
  if (!pinGesture_.armed) return false;
  if (mods == (modifier::kPrimary | modifier::kShift)) {
    pinGesture_.shiftDown = true;
    return false;
  }
  if (mods != modifier::kPrimary) {
    pinGesture_ = {};  // Command let go, or another modifier: not the gesture
    return false;
  }
  if (!pinGesture_.shiftDown) return false;
  pinGesture_.shiftDown = false;
  if (++pinGesture_.taps < 2) return false;
  pinGesture_ = {};
  showPinnedOverlay();
  return true;
}

void AppDelegate::showPinnedOverlay() {
  if (overlayPinned) closePinnedOverlay();
  // The overlay of this hold is up (the keyboard's gesture): it is the one pinned.
  if (overlayController && overlayController->window) {
    pinOverlay();
    return;
  }
  // Before the panel exists: the window the keyboard goes back to.
  const FocusPort::WindowHandle before = platform_.focus ? platform_.focus->focusedWindow() : 0;
  if (!startRead(true)) return;
  read_->focusBefore = before;
  read_->due = true;
}

void AppDelegate::pinOverlay() {
  if (overlayPinned || !overlayController || !overlayController->window) return;
  if (commandHoldTimer) commandHoldTimer->invalidate();
  commandHoldTimer.reset();
  if (commandPressTimer) commandPressTimer->invalidate();
  commandPressTimer.reset();
  pinGesture_ = {};
  if (chordWait_) chordWait_->invalidate();  // a chord still waiting would go to this overlay
  focusBefore_ = platform_.focus ? platform_.focus->focusedWindow() : 0;
  overlayPinned = true;
  overlayController->window->makeKey();
}

void AppDelegate::closePinnedOverlay() {
  closeAndGiveBack();
}

void AppDelegate::pinnedOverlayLostKeyboard() {
  if (!overlayPinned) return;
  // Giving the keyboard back would undo the click that gave it to another window.
  const FocusPort::WindowHandle now = platform_.focus ? platform_.focus->focusedWindow() : 0;
  if (now != 0 && now != focusBefore_) focusBefore_ = 0;
  closeAndGiveBack();
}

bool AppDelegate::closeAndGiveBack() {
  if (!overlayPinned) return false;
  // Taken first: the panel's closing may call back in here.
  const FocusPort::WindowHandle window = std::exchange(focusBefore_, 0);
  hideOverlay();
  return platform_.focus != nullptr && window != 0 && platform_.focus->giveFocusTo(window);
}

bool AppDelegate::runShortcut(const ShortcutItem* item) {
  if (!overlayPinned || item == nullptr || !worker_ || !shown_) return false;
  // A row of the live menu bar runs through its own menu item; a row from another source has
  // none, and is typed as its chord instead.
  if (item->source() != MenuBarSource::kName) return typeChord(*item);
  if (pressPending_) return true;
  pressPending_ = true;
  // The item is found in the menu bar read afresh, and pressed, on the worker.
  worker_->post([&accessibility = platform_.accessibility, &runLoop = platform_.runLoop,
                 weak = weak_from_this(), pid = shownPid_, row = *item, serial = shownSerial_] {
    bool done = false;
    if (const ax::ElementRef application = accessibility.applicationElement(pid)) {
      std::vector<ax::ElementRef> elements;
      const std::vector<ShortcutItem> items =
          AccessibilityHelper::getShortcuts(*application, elements);
      for (std::size_t i = 0; i < items.size() && i < elements.size() && !done; ++i) {
        const ShortcutItem& candidate = items[i];
        // The request is only sent; the application carries it out in its own time, by when
        // the keyboard is back in its window.
        done = candidate.chord() == row.chord() && candidate.title() == row.title() &&
               candidate.menuPath() == row.menuPath() &&
               elements[i]->performAction(ax::Action::press) == ax::Error::success;
      }
    }
    if (Worker::stopping()) return;
    runLoop.postToMainQueue([weak, serial, done] {
      if (const std::shared_ptr<AppDelegate> self = weak.lock()) self->pressed(serial, done);
    });
  });
  return true;
}

void AppDelegate::pressed(std::uint64_t serial, bool done) {
  pressPending_ = false;
  // A refused press leaves the overlay as it was.
  if (done && overlayPinned && serial == shownSerial_) closePinnedOverlay();
}

bool AppDelegate::typeChord(const ShortcutItem& item) {
  KeySenderPort* const keys = platform_.keys;
  const FocusPort::WindowHandle window = focusBefore_;
  if (keys == nullptr || window == 0 || !keys->canType(item.chord())) return false;
  // A window that could not take the keyboard back gets nothing: the keys would land elsewhere.
  if (!closeAndGiveBack()) return true;
  if (chordWait_) chordWait_->invalidate();
  chordWait_ = platform_.runLoop.scheduleTimer(
      kChordPollInterval, true,
      [weak = weak_from_this(), keys, window, chord = item.chord()](Timer& timer) {
        // Polled without holding the server; the send checks again while it holds it.
        if (weak.expired() || !keys->readyFor(window) || !keys->send(window, chord)) return;
        timer.invalidate();
      });
  // Past the wait the keyboard is elsewhere by the user's doing: nothing is typed.
  platform_.runLoop.scheduleTimer(kChordWait, false,
                                  [poll = std::weak_ptr<Timer>(chordWait_)](Timer&) {
                                    if (const TimerRef timer = poll.lock()) timer->invalidate();
                                  });
  return true;
}

}  // namespace tavrine
