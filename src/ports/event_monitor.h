// SPDX-License-Identifier: MIT
// The event-monitor port: observing key-down and modifier-change events, both those addressed
// to this process (local) and those addressed to other processes (global, needs trust).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "model/modifier_flags.h"

namespace tavrine {

using EventMask = std::uint64_t;
inline constexpr EventMask kEventMaskKeyDown = 0x400;        // bit 10
inline constexpr EventMask kEventMaskFlagsChanged = 0x1000;  // bit 12

class Event {
 public:
  virtual ~Event() = default;
  // The modifier keys held when the event happened (for a flags change: after it).
  virtual modifier::Flags modifierFlags() const = 0;
};
using EventRef = std::shared_ptr<const Event>;

// Opaque: keeping it or dropping it changes nothing; only whether one was returned matters.
using MonitorToken = std::shared_ptr<const void>;

class EventMonitorPort {
 public:
  virtual ~EventMonitorPort() = default;

  // Sees each matching event addressed to this process before normal dispatch and returns the
  // event to dispatch: the same one, another, or null to swallow it.
  using LocalHandler = std::function<EventRef(EventRef event)>;
  // Sees a copy of each matching event addressed to another process; cannot change it.
  using GlobalHandler = std::function<void(const Event& event)>;

  // Handlers run on the main thread, for every event of `mask`, until the process ends (a
  // monitor is never removed). Each returns a token, or null when the monitor could not be
  // installed (for a global monitor: typically, the process is not trusted).
  virtual MonitorToken addLocalMonitor(EventMask mask, LocalHandler handler) = 0;
  virtual MonitorToken addGlobalMonitor(EventMask mask, GlobalHandler handler) = 0;

  // Called on the main thread whenever the application in front may have changed, until the
  // process ends; a hint, so a handler asks the workspace which one it is. Null when the
  // platform cannot tell, or (as for global monitors) the process is not trusted.
  using FrontHandler = std::function<void()>;
  virtual MonitorToken addFrontmostMonitor(FrontHandler /*handler*/) { return nullptr; }
};

}  // namespace tavrine
