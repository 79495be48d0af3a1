// SPDX-License-Identifier: MIT
#include "backends/linux/wayland/accessible_workspace.h"

#include <utility>

namespace tavrine::wayland {

std::string displayNameOf(const std::string& accessibleName) {
  std::string name = accessibleName;
  if (!name.empty() && name.front() >= 'a' && name.front() <= 'z') {
    name.front() = static_cast<char>(name.front() - 'a' + 'A');
  }
  return name;
}

AccessibleWorkspace::AccessibleWorkspace(const atspi::AtspiListener& listener,
                                         const x11::X11Workspace& x11, IconOf icons)
    : AccessibleWorkspace([&listener] { return listener.activeApplication(); },
                          [&listener] { return listener.flags(); }, x11, std::move(icons)) {}

AccessibleWorkspace::AccessibleWorkspace(ActiveApplication active, KeysHeld keysHeld,
                                         const x11::X11Workspace& x11, IconOf icons)
    : active_(std::move(active)),
      keysHeld_(std::move(keysHeld)),
      x11_(x11),
      icons_(std::move(icons)) {}

bool AccessibleWorkspace::x11Holds(std::int32_t pid) const {
  const std::optional<RunningApplication> x11 = x11_.frontmostApplication();
  return x11 && x11->processIdentifier == pid;
}

std::optional<RunningApplication> AccessibleWorkspace::frontmostApplication() const {
  const std::optional<atspi::AtspiListener::ActiveApplication> active = active_();
  if (!active || !active->pid) return std::nullopt;
  if (std::optional<RunningApplication> x11 = x11_.frontmostApplication();
      x11 && x11->processIdentifier == *active->pid) {
    return x11;
  }
  RunningApplication app;
  app.processIdentifier = *active->pid;
  if (!active->name.empty()) app.localizedName = displayNameOf(active->name);
  // The panel asks at every paint; an icon lookup is not free.
  if (icons_ && !active->name.empty()) {
    std::pair<std::int32_t, std::string> of(*active->pid, active->name);
    if (of != iconOf_) {
      icon_ = icons_(of.first, of.second);
      iconOf_ = std::move(of);
    }
    app.icon = icon_;
  }
  return app;
}

std::uint64_t AccessibleWorkspace::modifierFlags() const {
  return keysHeld_() | x11_.modifierFlags();
}

std::optional<Point> AccessibleWorkspace::frontmostWindowCentre() const {
  const std::optional<atspi::AtspiListener::ActiveApplication> active = active_();
  if (!active || !active->pid || !x11Holds(*active->pid)) return std::nullopt;
  return x11_.frontmostWindowCentre();
}

}  // namespace tavrine::wayland
