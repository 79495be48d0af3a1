// SPDX-License-Identifier: MIT
// The workspace port in a Wayland session: the frontmost application is the one whose frame is
// active on the accessibility bus (the program, on XWayland, cannot see native Wayland windows),
// and the live modifier word joins what the accessibility bus and the X server report.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "backends/linux/atspi/listener.h"
#include "backends/linux/x11/workspace.h"
#include "ports/geometry.h"
#include "ports/workspace.h"

namespace tavrine::wayland {

class AccessibleWorkspace final : public WorkspacePort {
 public:
  // An application's icon from its pid and accessible name; null for none.
  using IconOf = std::function<ImageRef(std::int32_t pid, const std::string& name)>;
  // The application whose frame is active (the listener's answer).
  using ActiveApplication = std::function<std::optional<atspi::AtspiListener::ActiveApplication>()>;
  // The modifier word of the keys forwarded to the accessibility bus.
  using KeysHeld = std::function<modifier::Flags()>;

  // Reads `listener`; `x11` must outlive this. Call on the main thread.
  AccessibleWorkspace(const atspi::AtspiListener& listener, const x11::X11Workspace& x11,
                      IconOf icons = {});
  AccessibleWorkspace(ActiveApplication active, KeysHeld keysHeld, const x11::X11Workspace& x11,
                      IconOf icons = {});

  // None when no accessible frame is active. An application under XWayland whose window has the
  // X keyboard is described as on X11 (WM_CLASS, _NET_WM_ICON); any other by its accessible
  // name, first letter upper-cased as toolkits do for WM_CLASS.
  std::optional<RunningApplication> frontmostApplication() const override;
  // Held on either side: keys forwarded to the accessibility bus, or the X server's state.
  std::uint64_t modifierFlags() const override;
  // The frontmost window's centre when it is an X11 window (Wayland windows do not tell where
  // they are); none otherwise.
  std::optional<Point> frontmostWindowCentre() const;

 private:
  // Whether the X11 frontmost application is the accessible one.
  bool x11Holds(std::int32_t pid) const;

  ActiveApplication active_;
  KeysHeld keysHeld_;
  const x11::X11Workspace& x11_;
  IconOf icons_;
  mutable std::optional<std::pair<std::int32_t, std::string>> iconOf_;
  mutable ImageRef icon_;
};

// "mousepad" -> "Mousepad"; other texts unchanged.
std::string displayNameOf(const std::string& accessibleName);

}  // namespace tavrine::wayland
