// SPDX-License-Identifier: MIT
#include "app/pinned_overlay.h"

#include <memory>
#include <utility>
#include <vector>

#include "harvest/accessibility_helper.h"
#include "sources/menu_bar/menu_bar_source.h"

namespace tavrine {

PinnedOverlay::PinnedOverlay(const Platform& platform, std::shared_ptr<Worker>& worker,
                             std::function<void()> hide)
    : platform_(platform), worker_(worker), hide_(std::move(hide)) {}

void PinnedOverlay::shown(std::int32_t pid, ReadCycle::AnswerRef answer) {
  shownPid_ = pid;
  shown_ = std::move(answer);
  ++shownSerial_;
  if (!gesture_.armed) gesture_ = {true, false, 0};
}

bool PinnedOverlay::followGesture(modifier::Flags flags, modifier::Flags trigger) {
  const modifier::Flags mods = flags & modifier::kDeviceIndependentMask;
  if (!gesture_.armed) return false;
  if (mods == (trigger | modifier::kShift)) {
    gesture_.shiftDown = true;
    return false;
  }
  if (mods != trigger) {
    gesture_ = {};  // Command let go, or another modifier: not the gesture
    return false;
  }
  if (!gesture_.shiftDown) return false;
  gesture_.shiftDown = false;
  if (++gesture_.taps < 2) return false;
  gesture_ = {};
  return true;
}

void PinnedOverlay::pin(Panel& window) {
  gesture_ = {};
  if (chordWait_) chordWait_->invalidate();  // a chord still waiting would go to this overlay
  focusBefore_ = focused();
  pinned_ = true;
  window.makeKey();
}

void PinnedOverlay::lostKeyboard() {
  if (!pinned_) return;
  // Giving the keyboard back would undo the click that gave it to another window.
  const FocusPort::WindowHandle now = focused();
  if (now != 0 && now != focusBefore_) focusBefore_ = 0;
  close();
}

bool PinnedOverlay::close() {
  if (!pinned_) return false;
  // Taken first: the panel's closing may call back in here.
  const FocusPort::WindowHandle window = std::exchange(focusBefore_, 0);
  hide_();
  return platform_.focus != nullptr && window != 0 && platform_.focus->giveFocusTo(window);
}

bool PinnedOverlay::runShortcut(const ShortcutItem* item) {
  if (!pinned_ || item == nullptr || !worker_ || !shown_) return false;
  // A row of the live menu bar runs through its own menu item; a row from another source has
  // none, and is typed as its chord instead.
  if (item->source() != MenuBarSource::kName) return typeChord(*item);
  if (pressPending_) return true;
  pressPending_ = true;
  // The item is found in the menu bar read afresh, and pressed, on the worker.
  worker_->post([&accessibility = platform_.accessibility, &runLoop = platform_.runLoop, this,
                 owner = owner_, pid = shownPid_, row = *item, serial = shownSerial_] {
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
    runLoop.postToMainQueue([this, owner, serial, done] {
      if (const auto alive = owner.lock()) pressed(serial, done);
    });
  });
  return true;
}

void PinnedOverlay::pressed(std::uint64_t serial, bool done) {
  pressPending_ = false;
  // A refused press leaves the overlay as it was.
  if (done && pinned_ && serial == shownSerial_) close();
}

bool PinnedOverlay::typeChord(const ShortcutItem& item) {
  KeySenderPort* const keys = platform_.keys;
  const FocusPort::WindowHandle window = focusBefore_;
  if (keys == nullptr || window == 0 || !keys->canType(item.chord())) return false;
  // A window that could not take the keyboard back gets nothing: the keys would land elsewhere.
  if (!close()) return true;
  if (chordWait_) chordWait_->invalidate();
  chordWait_ = platform_.runLoop.scheduleTimer(
      kChordPollInterval, true, [owner = owner_, keys, window, chord = item.chord()](Timer& timer) {
        // Polled without holding the server; the send checks again while it holds it.
        if (owner.expired() || !keys->readyFor(window) || !keys->send(window, chord)) return;
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
