// SPDX-License-Identifier: MIT
// Hold detection: Command held alone for holdDuration asks for the overlay; any other modifier
// state ends a pending hold and hides it; a key press cancels a pending hold.
#include <memory>

#include "app/app_delegate.h"

namespace tavrine {

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
  if (flagsMonitor) return;
  flagsMonitor = platform_.events.addGlobalMonitor(
      kEventMaskFlagsChanged, [weak = weak_from_this()](const Event& event) {
        if (const std::shared_ptr<AppDelegate> self = weak.lock()) self->handleFlagsChanged(event);
      });
  keyMonitor = platform_.events.addGlobalMonitor(
      kEventMaskKeyDown, [weak = weak_from_this()](const Event& /*event*/) {
        if (const std::shared_ptr<AppDelegate> self = weak.lock()) self->cancelCommandTimer();
      });
  if (!flagsMonitor) return;
  frontMonitor_ = platform_.events.addFrontmostMonitor([weak = weak_from_this()] {
    if (const std::shared_ptr<AppDelegate> self = weak.lock()) self->frontmostChanged();
  });
}

void AppDelegate::cancelCommandTimer() {
  ++inputGeneration_;
  pinGesture_ = {};  // a key joined: an ordinary shortcut
  if (commandPressTimer) commandPressTimer->invalidate();
  commandPressTimer.reset();
  if (readTimer) readTimer->invalidate();
  readTimer.reset();
}

void AppDelegate::handleFlagsChanged(const Event& event) {
  const modifier::Flags flags = event.modifierFlags();
  ++inputGeneration_;
  // Every modifier change ends a pending hold; Command alone starts a new one below.
  if (commandPressTimer) commandPressTimer->invalidate();
  if (readTimer) readTimer->invalidate();
  readTimer.reset();
  if (overlayPinned) {
    // The pinned overlay stays whatever the modifiers do, and no hold starts behind it.
    commandPressTimer.reset();
    return;
  }
  if (trackPinGesture(flags)) {
    commandPressTimer.reset();
    return;
  }

  if ((flags & modifier::kDeviceIndependentMask) != modifier::kPrimary) {
    commandPressTimer.reset();
    hideOverlay();
    return;
  }

  // The read starts during the hold, so that its answer is there when the hold completes.
  readTimer = platform_.runLoop.scheduleTimer(
      kReadStart, false, [weak = weak_from_this(), generation = inputGeneration_](Timer&) {
        const std::shared_ptr<AppDelegate> self = weak.lock();
        if (self && self->inputGeneration_ == generation) self->startRead(false);
      });
  commandPressTimer = platform_.runLoop.scheduleTimer(
      holdDuration, false,
      [weak = weak_from_this(), generation = inputGeneration_](Timer& /*timer*/) {
        const std::shared_ptr<AppDelegate> self = weak.lock();
        if (!self) return;
        // The show runs in a later turn of the main queue, not inside the timer callback.
        self->platform_.runLoop.postToMainQueue([weak, generation] {
          const std::shared_ptr<AppDelegate> later = weak.lock();
          // A modifier change or key press that came in between ended this hold: the user has
          // let go or typed a shortcut, so showing now would be wrong.
          if (later && later->inputGeneration_ == generation) later->holdCompleted();
        });
      });
}

}  // namespace tavrine
