// SPDX-License-Identifier: MIT
// The overlay on screen: laid out off screen when a read answers, put up when its hold
// completes, pinned on request, and taken down when the hold ends, or when the release poll sees
// the live modifier state without Command (a release no event reported).
#include <memory>
#include <string>
#include <utility>

#include "app/app_delegate.h"

namespace tavrine {

bool AppDelegate::prepare(const RunningApplication& app, ReadCycle::Answer& answer) {
  const MergedShortcuts& shortcuts = answer.shortcuts;
  if (!overlayController_) {
    overlayController_ = std::make_unique<OverlayWindowController>(
        platform_.screens, platform_.panels, t_, overlayStyle_);
    overlayController_->actions = weak_from_this();
  }
  const std::string name = app.localizedName.value_or("Unknown");
  // The groups go into the view; preparing again (the first was hidden) groups again.
  const std::string nameZH = app.localizedNameZH.value_or("");
  // Without rows of its own, the overlay says why, above the system section.
  if (answer.groups.empty()) {
    return overlayController_->prepareWithShortcuts(shortcuts.application, name, shortcuts.system,
                                                    nameZH, app.icon, emptyReason(shortcuts));
  }
  return overlayController_->prepareWithGroups(std::move(answer.groups), name, shortcuts.system,
                                               nameZH, app.icon, emptyReason(shortcuts));
}

void AppDelegate::present(const RunningApplication& app, ReadCycle::AnswerRef answer, bool prepared,
                          bool pin, FocusPort::WindowHandle focusBefore) {
  // Nothing of the application's own to show: an overlay already up stays as it is, poll
  // included, rather than giving way to a reason.
  if (answer->shortcuts.application.empty() && overlayController_ && overlayController_->window)
    return;
  // A hide in between drops what was prepared.
  if (!prepared || !overlayController_ || !overlayController_->prepared()) prepare(app, *answer);
  const PanelRef previous = overlayController_->window;
  pinned_.shown(app.processIdentifier, std::move(answer));
  shownApp_ = app;
  overlayController_->showPrepared();
  restartReleasePoll();
  if (!pin || !overlayController_->window || overlayController_->window == previous) return;
  pinOverlay();
  pinned_.giveBackTo(focusBefore);
}

void AppDelegate::neverShowOverShownApplication() {
  if (!shownApp_) return;
  if (neverShowOver_) neverShowOver_(*shownApp_);
  closePinnedOverlay();
  hideOverlay();
}

void AppDelegate::pinOverlay() {
  if (pinned_.pinned() || !overlayController_ || !overlayController_->window) return;
  stopReleasePoll();
  hold_.end();
  pinned_.pin(*overlayController_->window);
}

void AppDelegate::showPinnedOverlay() {
  if (pinned_.pinned()) closePinnedOverlay();
  // The overlay of this hold is up (the keyboard's gesture): it is the one pinned.
  if (overlayController_ && overlayController_->window) {
    pinOverlay();
    return;
  }
  // Before the panel exists: the window the keyboard goes back to.
  reads_.showPinned(platform_.focus ? platform_.focus->focusedWindow() : 0);
}

void AppDelegate::stopReleasePoll() {
  if (releasePoll_) releasePoll_->invalidate();
  releasePoll_.reset();
}

void AppDelegate::restartReleasePoll() {
  if (releasePoll_) releasePoll_->invalidate();
  releasePoll_ = platform_.runLoop.scheduleTimer(
      kReleasePollInterval, true, [weak = weak_from_this()](Timer& timer) {
        const std::shared_ptr<AppDelegate> self = weak.lock();
        if (!self) {
          timer.invalidate();  // nothing left to hide
          return;
        }
        // Only Command counts here; other modifiers joining are the flags handler's business.
        if (self->platform_.workspace.modifierFlags() & modifier::kPrimary) return;
        self->stopReleasePoll();
        self->hideOverlay();
      });
}

void AppDelegate::hideOverlay() {
  stopReleasePoll();
  if (overlayController_) overlayController_->hide();
  pinned_.unpinned();
}

}  // namespace tavrine
