#include "support/scripted_events.h"

#include <algorithm>
#include <utility>

namespace tavrine::doubles {

MonitorToken ScriptedEvents::addLocalMonitor(EventMask mask, LocalHandler handler) {
  monitors_.push_back({Scope::local, mask, std::move(handler), {}});
  return std::make_shared<int>(0);
}

MonitorToken ScriptedEvents::addGlobalMonitor(EventMask mask, GlobalHandler handler) {
  ++globalAttempts;
  if (!globalMonitorsAvailable) return nullptr;
  monitors_.push_back({Scope::global, mask, {}, std::move(handler)});
  return std::make_shared<int>(0);
}

EventRef ScriptedEvents::deliver(Scope scope, const std::shared_ptr<const ScriptedEvent>& event) {
  EventRef result = event;
  // Copied: a handler may install further monitors.
  for (const Monitor& m : std::vector<Monitor>(monitors_)) {
    if (m.scope != scope || !(m.mask & event->type)) continue;
    if (scope == Scope::global) {
      m.global(*event);
    } else if (!(result = m.local(result))) {
      break;
    }
  }
  return result;
}

std::size_t ScriptedEvents::monitorCount(Scope scope, EventMask mask) const {
  return static_cast<std::size_t>(std::count_if(
      monitors_.begin(), monitors_.end(),
      [&](const Monitor& m) { return m.scope == scope && m.mask == mask; }));
}

}  // namespace tavrine::doubles
