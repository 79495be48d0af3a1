// SPDX-License-Identifier: MIT
#include "sources/desktop/desktop_shortcuts.h"

#include <array>
#include <utility>

namespace tavrine {

void DesktopShortcuts::update(const std::vector<DesktopBinding>& bindings) {
  auto rows = std::make_shared<std::vector<ShortcutItem>>();
  for (const SystemHeading heading : {SystemHeading::general, SystemHeading::window,
                                      SystemHeading::system, SystemHeading::text}) {
    const HeadingText text = headingText(heading);
    for (const DesktopBinding& b : bindings) {
      if (b.heading != heading || rows->size() >= kMaxDesktopBindings) continue;
      rows->emplace_back(std::string(text.en), b.title, b.chord,
                         ShortcutOrigin{kName, std::string(text.zh), b.titleZH});
    }
  }
  const std::lock_guard lock(mutex_);
  rows_ = std::move(rows);
}

bool DesktopShortcuts::live() const {
  const std::lock_guard lock(mutex_);
  return rows_ && !rows_->empty();
}

std::vector<ShortcutItem> DesktopShortcuts::shortcuts(const FrontApplication& /*app*/) const {
  std::shared_ptr<const std::vector<ShortcutItem>> rows;
  {
    const std::lock_guard lock(mutex_);
    rows = rows_;
  }
  if (rows && !rows->empty()) return *rows;
  return SystemShortcuts::catalogue(desktop_);
}

SystemHeading gnomeHeading(std::string_view schema, std::string_view key) {
  const bool windowManager = schema == "org.gnome.desktop.wm.keybindings" ||
                             schema == "org.gnome.mutter.keybindings" ||
                             schema == "org.gnome.mutter.wayland.keybindings";
  if (windowManager) {
    // Keys that act on the focused window: closing, sizing, moving it elsewhere, its menu.
    constexpr std::array<std::string_view, 11> kWindowPrefixes = {"close",
                                                                  "minimize",
                                                                  "maximize",
                                                                  "unmaximize",
                                                                  "toggle-",
                                                                  "begin-",
                                                                  "move-to-",
                                                                  "raise",
                                                                  "lower",
                                                                  "always-on-top",
                                                                  "activate-window-menu"};
    for (const std::string_view prefix : kWindowPrefixes)
      if (key.starts_with(prefix)) return SystemHeading::window;
    return SystemHeading::system;
  }
  if (schema == "org.gnome.shell.keybindings" ||
      schema == "org.gnome.settings-daemon.plugins.media-keys")
    return SystemHeading::system;
  return SystemHeading::general;
}

}  // namespace tavrine
