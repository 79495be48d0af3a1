// SPDX-License-Identifier: MIT
#include "backends/linux/gnome/shell_workspace.h"

namespace tavrine::gnome {

std::optional<RunningApplication> ShellWorkspace::frontmostApplication() const {
  const std::optional<ShellFeed::FocusedWindow>& focus = feed_.focusedWindow();
  if (!focus) return other_.frontmostApplication();
  if (focus->pid <= 0) return std::nullopt;
  RunningApplication app;
  app.processIdentifier = focus->pid;
  const std::string& name = focus->appName.empty() ? focus->wmClass : focus->appName;
  if (!name.empty()) app.localizedName = name;
  // The panel asks at every paint; an icon lookup is not free.
  if (icons_) {
    std::pair<std::int32_t, std::string> of(focus->pid, focus->wmClass);
    if (of != iconOf_) {
      icon_ = icons_(of.first, of.second);
      iconOf_ = std::move(of);
    }
    app.icon = icon_;
  }
  return app;
}

}  // namespace tavrine::gnome
