// SPDX-License-Identifier: MIT
// A scripted event feed: records the monitors the code installs and delivers events to them as a
// test dictates, addressed to this process (local monitors) or to another (global).
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "ports/event_monitor.h"

namespace tavrine::doubles {

struct ScriptedEvent final : Event {
  explicit ScriptedEvent(modifier::Flags eventFlags) : flags(eventFlags) {}
  modifier::Flags modifierFlags() const override { return flags; }
  modifier::Flags flags;
};

enum class Scope { local, global };

class ScriptedEvents final : public EventMonitorPort {
 public:
  MonitorToken addLocalMonitor(EventMask mask, LocalHandler handler) override {
    monitors_.push_back({Scope::local, mask, std::move(handler), {}});
    return std::make_shared<int>(0);
  }
  MonitorToken addGlobalMonitor(EventMask mask, GlobalHandler handler) override {
    ++globalAttempts;
    if (!globalMonitorsAvailable) return nullptr;
    monitors_.push_back({Scope::global, mask, {}, std::move(handler)});
    return std::make_shared<int>(0);
  }

  MonitorToken addFrontmostMonitor(FrontHandler handler) override {
    if (!globalMonitorsAvailable) return nullptr;
    fronts_.push_back(std::move(handler));
    return std::make_shared<int>(0);
  }
  // Another application may be in front.
  void frontChanged() {
    for (const FrontHandler& handler : std::vector<FrontHandler>(fronts_))
      handler();
  }

  // Global installations fail (return no token) while this is false, as without trust.
  bool globalMonitorsAvailable = true;
  std::size_t globalAttempts = 0;

  // Each delivers an event to the matching monitors of `scope` in installation order; local ones
  // form a chain (each gets what the one before returned; null swallows the event). Returns
  // what would be dispatched.
  EventRef flagsChanged(Scope scope, modifier::Flags flags) {
    return deliver(scope, kEventMaskFlagsChanged, flags);
  }
  EventRef keyDown(Scope scope, modifier::Flags flags) {
    return deliver(scope, kEventMaskKeyDown, flags);
  }
  // Monitors installed (not failed attempts).
  std::size_t monitorCount(Scope scope, EventMask mask) const {
    return static_cast<std::size_t>(
        std::count_if(monitors_.begin(), monitors_.end(),
                      [&](const Monitor& m) { return m.scope == scope && m.mask == mask; }));
  }

 private:
  struct Monitor {
    Scope scope;
    EventMask mask;
    LocalHandler local;
    GlobalHandler global;
  };
  EventRef deliver(Scope scope, EventMask type, modifier::Flags flags) {
    const auto event = std::make_shared<const ScriptedEvent>(flags);
    EventRef result = event;
    for (const Monitor& m : std::vector<Monitor>(monitors_)) {  // a handler may add monitors
      if (m.scope != scope || !(m.mask & type) || !result) continue;
      if (scope == Scope::global) {
        m.global(*event);
      } else {
        result = m.local(result);
      }
    }
    return result;
  }

  std::vector<Monitor> monitors_;
  std::vector<FrontHandler> fronts_;
};

}  // namespace tavrine::doubles
