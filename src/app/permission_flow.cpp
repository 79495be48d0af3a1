// SPDX-License-Identifier: MIT
// Asking for accessibility trust and noticing the grant.
#include "app/app_delegate.h"

namespace tavrine {

void AppDelegate::requestAccessibility() {
  platform_.trust.isProcessTrustedWithPrompt();
  awaitAccessibility();
}

void AppDelegate::awaitAccessibility() {
  if (permissionPoll_ && permissionPoll_->isValid()) return;
  permissionPoll_ = platform_.runLoop.scheduleTimer(
      kPermissionPollInterval, true, [weak = weak_from_this()](Timer& timer) {
        const std::shared_ptr<AppDelegate> self = weak.lock();
        // Nobody is left to install the monitors: polling on would be for nothing.
        if (!self) {
          timer.invalidate();
          return;
        }
        if (!self->platform_.trust.isProcessTrusted()) return;
        timer.invalidate();
        self->startGlobalMonitoring();
      });
}

}  // namespace tavrine
