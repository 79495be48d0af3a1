// A scripted event feed: records the monitors the code installs and delivers events to them as a
// test dictates, either as addressed to this process (local monitors) or to another (global).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "platform/event_monitor.h"

namespace tavrine::doubles {

class ScriptedEvent final : public Event {
 public:
  ScriptedEvent(EventMask type, modifier::Flags flags) : type_(type), flags_(flags) {}
  modifier::Flags modifierFlags() const override { return flags_; }
  EventMask type() const { return type_; }

 private:
  EventMask type_;
  modifier::Flags flags_;
};

enum class Scope { local, global };

class ScriptedEvents final : public EventMonitorPort {
 public:
  MonitorToken addLocalMonitor(EventMask mask, LocalHandler handler) override;
  MonitorToken addGlobalMonitor(EventMask mask, GlobalHandler handler) override;

  // Global installations fail (return no token) while this is false, as without trust.
  void setGlobalMonitorsAvailable(bool available) { globalAvailable_ = available; }

  // Delivers one event to the monitors of `scope` whose mask matches, in installation order.
  // Local monitors form a chain: each gets what the one before returned, and a null return
  // swallows the event. Returns what would be dispatched (global: the event itself).
  EventRef deliver(Scope scope, EventRef event);
  EventRef flagsChanged(Scope scope, modifier::Flags flags);
  EventRef keyDown(Scope scope, modifier::Flags flags = 0);

  std::size_t localMonitorCount(EventMask mask) const;
  // Installed ones only, not failed attempts.
  std::size_t globalMonitorCount(EventMask mask) const;
  std::size_t globalAttempts() const { return globalAttempts_; }

 private:
  struct Local {
    EventMask mask;
    LocalHandler handler;
  };
  struct Global {
    EventMask mask;
    GlobalHandler handler;
  };
  std::vector<Local> local_;
  std::vector<Global> global_;
  bool globalAvailable_ = true;
  std::size_t globalAttempts_ = 0;
};

}  // namespace tavrine::doubles
