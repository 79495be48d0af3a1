// SPDX-License-Identifier: MIT
// The workspace port on X11: the application whose window has the keyboard (EWMH's active
// window, else the input focus), its name and icon, and the live modifier state. Also the root
// window's string properties, which the accessibility switch publishes the bus address in.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "backends/linux/x11/net_wm_icon.h"
#include "ports/geometry.h"
#include "ports/workspace.h"

namespace tavrine::x11 {

class X11Workspace final : public WorkspacePort {
 public:
  // Turns a window's icon into an image the shell can draw; null for none.
  using IconFactory = std::function<ImageRef(const ArgbIcon& icon)>;

  // Opens a connection of its own to `displayName` (empty: $DISPLAY). Without an X server every
  // answer is empty. Without `makeIcon` applications come without icons.
  explicit X11Workspace(IconFactory makeIcon = {}, const std::string& displayName = {});
  ~X11Workspace() override;
  X11Workspace(const X11Workspace&) = delete;
  X11Workspace& operator=(const X11Workspace&) = delete;

  bool isConnected() const;

  // Process id from _NET_WM_PID; name from WM_CLASS (its class part), else _NET_WM_NAME; icon
  // from _NET_WM_ICON, the size nearest 64 pixels. None when no window with a process id has
  // the keyboard.
  std::optional<RunningApplication> frontmostApplication() const override;
  // From the server's keyboard state (XKB), not from events.
  std::uint64_t modifierFlags() const override;

  // The centre of the frontmost application's window in root-window pixels (the screen it is
  // on is the one with the keyboard focus); none when unknown.
  std::optional<Point> frontmostWindowCentre() const;

  // A STRING property of the root window, such as AT_SPI_BUS.
  std::optional<std::string> rootStringProperty(const std::string& name) const;
  bool setRootStringProperty(const std::string& name, const std::string& value);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tavrine::x11
