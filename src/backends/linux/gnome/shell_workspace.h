// SPDX-License-Identifier: MIT
// The workspace port on GNOME's Wayland session: the focused window as GNOME Shell reports it
// through Tavrine's extension, and while the extension says nothing, the other source (the
// accessibility bus and XWayland) as before.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "backends/linux/gnome/shell_feed.h"
#include "ports/workspace.h"

namespace tavrine::gnome {

class ShellWorkspace final : public WorkspacePort {
 public:
  // An application's icon from its pid and WM class (a Wayland app id is the desktop entry's
  // id); null for none.
  using IconOf = std::function<ImageRef(std::int32_t pid, const std::string& wmClass)>;

  // `feed` and `other` must outlive this.
  ShellWorkspace(const ShellFeed& feed, const WorkspacePort& other, IconOf icons = {})
      : feed_(feed), other_(other), icons_(std::move(icons)) {}

  // The focused window's application, named as the shell names it (else by its WM class); none
  // when the shell reports no focused window.
  std::optional<RunningApplication> frontmostApplication() const override;
  // Held on any side.
  std::uint64_t modifierFlags() const override { return feed_.flags() | other_.modifierFlags(); }

 private:
  const ShellFeed& feed_;
  const WorkspacePort& other_;
  IconOf icons_;
  mutable std::optional<std::pair<std::int32_t, std::string>> iconOf_;
  mutable ImageRef icon_;
};

}  // namespace tavrine::gnome
