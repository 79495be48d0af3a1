// SPDX-License-Identifier: MIT
// The overlay's show/hide cycle: ask the sources about the frontmost application, show its
// shortcuts, and poll the live modifier state so that a release no event reported still hides
// the overlay.
#include <memory>
#include <string>

#include "app/app_delegate.h"

namespace tavrine {

void AppDelegate::showOverlay() {
  const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  if (!app) return;
  const std::string name = app->localizedName.value_or("Unknown");

  const FrontApplication front{app->processIdentifier, app->executable.value_or(""),
                               app->desktopEntryId.value_or(""), t_.isZH()};
  const MergedShortcuts shortcuts = mergeShortcuts(sources_, front);
  // Nothing of the application's own to show: an overlay already up stays as it is, poll
  // included.
  if (shortcuts.application.empty()) return;

  if (!overlayController) {
    overlayController = std::make_unique<OverlayWindowController>(
        platform_.screens, platform_.panels, t_, overlayStyle_);
    overlayController->actions = weak_from_this();
  }
  shownPid_ = app->processIdentifier;
  if (!pinGesture_.armed) pinGesture_ = {true, false, 0};
  overlayController->showWithShortcuts(shortcuts.application, name, shortcuts.system,
                                       app->localizedNameZH.value_or(""));
  restartReleasePoll();
}

void AppDelegate::restartReleasePoll() {
  if (commandHoldTimer) commandHoldTimer->invalidate();
  commandHoldTimer = platform_.runLoop.scheduleTimer(
      kReleasePollInterval, true, [weak = weak_from_this()](Timer& timer) {
        const std::shared_ptr<AppDelegate> self = weak.lock();
        if (!self) {
          timer.invalidate();  // nothing left to hide
          return;
        }
        // Only Command counts here; other modifiers joining are the flags handler's business.
        if (self->platform_.workspace.modifierFlags() & modifier::kCommand) return;
        if (self->commandHoldTimer) self->commandHoldTimer->invalidate();
        self->commandHoldTimer.reset();
        self->hideOverlay();
      });
}

void AppDelegate::hideOverlay() {
  if (commandHoldTimer) commandHoldTimer->invalidate();
  commandHoldTimer.reset();
  if (overlayController) overlayController->hide();
  overlayPinned = false;
}

}  // namespace tavrine
