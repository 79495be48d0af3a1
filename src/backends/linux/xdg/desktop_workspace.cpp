// SPDX-License-Identifier: MIT
#include "backends/linux/xdg/desktop_workspace.h"

#include <system_error>
#include <utility>

namespace tavrine::xdg {

DesktopWorkspace::DesktopWorkspace(const WorkspacePort& inner,
                                   std::shared_ptr<const DesktopEntryIndex> entries, IconOf iconOf,
                                   std::filesystem::path proc)
    : inner_(inner), iconOf_(std::move(iconOf)), proc_(proc), entries_(std::move(entries), proc) {}

std::optional<DesktopEntry> DesktopWorkspace::entryOf(std::int32_t pid,
                                                      const std::string& name) const {
  return entries_.entryOf(pid, name);
}

std::optional<RunningApplication> DesktopWorkspace::frontmostApplication() const {
  std::optional<RunningApplication> app = inner_.frontmostApplication();
  if (!app || app->processIdentifier <= 0) return app;
  if (!app->executable) {
    std::string path = processExecutablePath(app->processIdentifier, proc_);
    if (!path.empty()) app->executable = std::move(path);
  }
  const std::optional<DesktopEntry> entry =
      entryOf(app->processIdentifier, app->localizedName.value_or(""));
  if (!entry) return app;
  if (!app->desktopEntryId) app->desktopEntryId = entry->id;
  if (!entry->name.empty()) app->localizedName = entry->name;
  if (!entry->nameZH.empty()) app->localizedNameZH = entry->nameZH;
  if (iconOf_ && !entry->icon.empty())
    if (ImageRef icon = iconOf_(entry->icon)) app->icon = std::move(icon);
  return app;
}

std::string processExecutablePath(std::int32_t pid, const std::filesystem::path& proc) {
  if (pid <= 0) return {};
  std::error_code error;
  std::string path = std::filesystem::read_symlink(proc / std::to_string(pid) / "exe", error);
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.resize(path.size() - kDeleted.size());
  return error ? std::string() : path;
}

}  // namespace tavrine::xdg
