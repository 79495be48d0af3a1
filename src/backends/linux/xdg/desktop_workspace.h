// SPDX-License-Identifier: MIT
// The application in front as its desktop entry presents it: the entry's name and icon rather
// than the window's class ("Text Editor", not "gnome-text-editor"), with the program's path and
// the entry's id for the sources of shortcuts. Wraps whichever workspace finds the application.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backends/linux/xdg/desktop_entry.h"
#include "ports/workspace.h"

namespace tavrine::xdg {

class DesktopWorkspace final : public WorkspacePort {
 public:
  // An image of an icon an entry names (a theme name or a path); null for none.
  using IconOf = std::function<ImageRef(const std::string& icon)>;

  // `inner` must outlive this workspace.
  DesktopWorkspace(const WorkspacePort& inner, std::shared_ptr<const DesktopEntryIndex> entries,
                   IconOf iconOf, std::filesystem::path proc = "/proc");

  std::optional<RunningApplication> frontmostApplication() const override;
  std::uint64_t modifierFlags() const override { return inner_.modifierFlags(); }

  // The entry of process `pid` known by `name` (WM_CLASS, or its program's name), remembered.
  std::optional<DesktopEntry> entryOf(std::int32_t pid, const std::string& name) const;
  // See DesktopIcons::awaitEntries: for tavrine --list, never for a hold.
  bool awaitEntries(std::chrono::milliseconds timeout) const {
    return entries_.awaitEntries(timeout);
  }

 private:
  const WorkspacePort& inner_;
  IconOf iconOf_;
  std::filesystem::path proc_;
  mutable DesktopIcons entries_;
};

// The absolute path of a process's program (<proc>/<pid>/exe), without " (deleted)"; empty when
// it cannot be read.
std::string processExecutablePath(std::int32_t pid, const std::filesystem::path& proc = "/proc");

}  // namespace tavrine::xdg
