// SPDX-License-Identifier: MIT
// The event-monitor port on macOS: NSEvent's local and global monitors, whose event masks and
// modifier words are the port's own numbering.
#pragma once

#include "ports/event_monitor.h"
#include "ports/trust.h"

namespace tavrine::macos {

// Main thread only; handlers run on the main thread.
class NsEventMonitor final : public EventMonitorPort {
 public:
  // `trust` must outlive the monitor.
  explicit NsEventMonitor(const TrustPort& trust) : trust_(trust) {}

  MonitorToken addLocalMonitor(EventMask mask, LocalHandler handler) override;
  // Null while the process is not trusted: the system would deliver no key events to a monitor
  // installed now, and the caller tries again once trust is granted. Key-downs may still never
  // arrive where the system also asks for Input Monitoring; the modifier changes decide a hold,
  // and a missing key-down only lets a quick shortcut count as a hold.
  MonitorToken addGlobalMonitor(EventMask mask, GlobalHandler handler) override;
  // NSWorkspace's notice that an application was activated; null while not trusted, as above.
  MonitorToken addFrontmostMonitor(FrontHandler handler) override;

 private:
  const TrustPort& trust_;
};

}  // namespace tavrine::macos
