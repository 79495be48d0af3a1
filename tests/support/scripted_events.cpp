#include "support/scripted_events.h"

#include <algorithm>
#include <utility>

namespace tavrine::doubles {
namespace {

MonitorToken newToken() {
  return std::make_shared<int>(0);
}

}  // namespace

MonitorToken ScriptedEvents::addLocalMonitor(EventMask mask, LocalHandler handler) {
  local_.push_back({mask, std::move(handler)});
  return newToken();
}

MonitorToken ScriptedEvents::addGlobalMonitor(EventMask mask, GlobalHandler handler) {
  ++globalAttempts_;
  if (!globalAvailable_) return nullptr;
  global_.push_back({mask, std::move(handler)});
  return newToken();
}

EventRef ScriptedEvents::deliver(Scope scope, EventRef event) {
  if (!event) return nullptr;
  const auto* scripted = dynamic_cast<const ScriptedEvent*>(event.get());
  const EventMask type = scripted ? scripted->type() : 0;
  if (scope == Scope::global) {
    // Copied: a handler may install further monitors.
    const std::vector<Global> monitors = global_;
    for (const Global& m : monitors)
      if (m.mask & type) m.handler(*event);
    return event;
  }
  const std::vector<Local> monitors = local_;
  for (const Local& m : monitors) {
    if (!(m.mask & type)) continue;
    event = m.handler(std::move(event));
    if (!event) break;
  }
  return event;
}

EventRef ScriptedEvents::flagsChanged(Scope scope, modifier::Flags flags) {
  return deliver(scope, std::make_shared<ScriptedEvent>(kEventMaskFlagsChanged, flags));
}

EventRef ScriptedEvents::keyDown(Scope scope, modifier::Flags flags) {
  return deliver(scope, std::make_shared<ScriptedEvent>(kEventMaskKeyDown, flags));
}

std::size_t ScriptedEvents::localMonitorCount(EventMask mask) const {
  return static_cast<std::size_t>(
      std::count_if(local_.begin(), local_.end(), [&](const Local& m) { return m.mask == mask; }));
}

std::size_t ScriptedEvents::globalMonitorCount(EventMask mask) const {
  return static_cast<std::size_t>(std::count_if(global_.begin(), global_.end(),
                                                [&](const Global& m) { return m.mask == mask; }));
}

}  // namespace tavrine::doubles
