// SPDX-License-Identifier: MIT
// Asking for accessibility trust and noticing the grant.
#include "app/app_delegate.h"

namespace tavrine {

void AppDelegate::requestAccessibility() {
  platform_.trust.isProcessTrustedWithPrompt();
  awaitAccessibility();
}

void AppDelegate::awaitAccessibility() {
  // Kept by the run loop alone; it ends itself once trust arrives.
  platform_.runLoop.scheduleTimer(kPermissionPollInterval, true,
                                  [weak = weak_from_this()](Timer& timer) {
                                    const std::shared_ptr<AppDelegate> self = weak.lock();
                                    if (!self) {
                                      // Nobody is left to install the monitors; polling on would be
                                      // for nothing.
                                      timer.invalidate();
                                      return;
                                    }
                                    if (!self->platform_.trust.isProcessTrusted()) return;
                                    timer.invalidate();
                                    self->startGlobalMonitoring();
                                  });
}

}  // namespace tavrine
