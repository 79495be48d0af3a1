// SPDX-License-Identifier: MIT
#include "backends/macos/ns_event_monitor.h"

#import <AppKit/AppKit.h>

#include <CoreFoundation/CoreFoundation.h>

#include <memory>
#include <utility>

namespace tavrine::macos {
namespace {

static_assert(NSEventMaskKeyDown == kEventMaskKeyDown);
static_assert(NSEventMaskFlagsChanged == kEventMaskFlagsChanged);
static_assert(NSEventModifierFlagCapsLock == modifier::kCapsLock);
static_assert(NSEventModifierFlagShift == modifier::kShift);
static_assert(NSEventModifierFlagControl == modifier::kControl);
static_assert(NSEventModifierFlagOption == modifier::kAlt);
static_assert(NSEventModifierFlagCommand == modifier::kPrimary);
static_assert(NSEventModifierFlagNumericPad == modifier::kNumericPad);
static_assert(NSEventModifierFlagHelp == modifier::kHelp);
static_assert(NSEventModifierFlagFunction == modifier::kFunction);
static_assert(NSEventModifierFlagDeviceIndependentFlagsMask == modifier::kDeviceIndependentMask);

class NsEvent final : public Event {
 public:
  explicit NsEvent(NSEvent* event) : event_(event) {}
  modifier::Flags modifierFlags() const override { return event_.modifierFlags; }
  NSEvent* nsEvent() const { return event_; }

 private:
  NSEvent* event_;  // strong
};

// Keeps the monitor object; the monitor stays installed whether the token is kept or not.
MonitorToken tokenFor(id monitor) {
  if (monitor == nil) return nullptr;
  return MonitorToken(CFBridgingRetain(monitor), [](const void* object) { CFRelease(object); });
}

}  // namespace

MonitorToken NsEventMonitor::addLocalMonitor(EventMask mask, LocalHandler handler) {
  NSEvent* (^filter)(NSEvent*) = ^NSEvent*(NSEvent* event) {
    try {
      const EventRef out = handler(std::make_shared<const NsEvent>(event));
      if (!out) return nil;
      const auto* ns = dynamic_cast<const NsEvent*>(out.get());
      return ns != nullptr ? ns->nsEvent() : event;
    } catch (...) {
      return event;  // nothing may unwind through AppKit; the event goes on
    }
  };
  return tokenFor([NSEvent addLocalMonitorForEventsMatchingMask:static_cast<NSEventMask>(mask)
                                                        handler:filter]);
}

MonitorToken NsEventMonitor::addGlobalMonitor(EventMask mask, GlobalHandler handler) {
  if (!trust_.isProcessTrusted()) return nullptr;
  void (^observe)(NSEvent*) = ^(NSEvent* event) {
    try {
      handler(NsEvent(event));
    } catch (...) {
      // Nothing may unwind through AppKit, whatever was thrown.
    }
  };
  return tokenFor([NSEvent addGlobalMonitorForEventsMatchingMask:static_cast<NSEventMask>(mask)
                                                         handler:observe]);
}

MonitorToken NsEventMonitor::addFrontmostMonitor(FrontHandler handler) {
  if (!handler || !trust_.isProcessTrusted()) return nullptr;
  NSNotificationCenter* center = [[NSWorkspace sharedWorkspace] notificationCenter];
  return tokenFor([center addObserverForName:NSWorkspaceDidActivateApplicationNotification
                                      object:nil
                                       queue:[NSOperationQueue mainQueue]
                                  usingBlock:^(NSNotification* /*notification*/) {
                                    try {
                                      handler();
                                    } catch (...) {
                                      // Nothing may unwind through AppKit.
                                    }
                                  }]);
}

}  // namespace tavrine::macos
