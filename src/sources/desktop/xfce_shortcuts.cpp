// SPDX-License-Identifier: MIT
#include "sources/desktop/xfce_shortcuts.h"

#include <string_view>

#include "keys/key_binding.h"

namespace tavrine {
namespace {

// "maximize_window_key" -> "Maximize window".
std::string actionTitle(std::string_view action) {
  if (action.ends_with("_key")) action.remove_suffix(4);
  std::string title(action);
  for (char& c : title)
    if (c == '_') c = ' ';
  if (!title.empty() && title[0] >= 'a' && title[0] <= 'z') title[0] = char(title[0] - 'a' + 'A');
  return title;
}

SystemHeading xfwmHeading(std::string_view action) {
  // Actions on the focused window; the rest switch windows and workspaces or show the desktop.
  constexpr std::string_view kWindow[] = {
      "close_window_key", "maximize_window_key", "maximize_horiz_key", "maximize_vert_key",
      "hide_window_key",  "move_window_key",     "resize_window_key",  "fullscreen_key",
      "popup_menu_key",   "above_key",           "stick_window_key",   "shade_window_key",
      "raise_window_key", "lower_window_key"};
  for (const std::string_view name : kWindow)
    if (action == name) return SystemHeading::window;
  if (action.starts_with("tile_") || action.starts_with("move_window_"))
    return SystemHeading::window;
  return SystemHeading::system;
}

void appendSet(const std::map<std::string, std::string>& properties, const std::string& set,
               bool commands, std::vector<DesktopBinding>& out) {
  const auto override = properties.find("/" + set + "/custom/override");
  const bool custom = override != properties.end() && override->second == "true";
  const std::string prefix = "/" + set + (custom ? "/custom/" : "/default/");
  for (auto it = properties.lower_bound(prefix);
       it != properties.end() && it->first.starts_with(prefix); ++it) {
    const std::string_view accelerator = std::string_view(it->first).substr(prefix.size());
    // "override" and a command's own settings ("<Super>e/startup-notify") are no keys.
    if (accelerator == "override" || accelerator.find('/') != std::string_view::npos) continue;
    if (it->second.empty() || out.size() >= kMaxDesktopBindings) continue;
    const auto chord = keys::parseGtkAccelerator(accelerator);
    if (!chord) continue;
    if (commands)
      out.push_back({SystemHeading::general, it->second, {}, *chord});
    else
      out.push_back({xfwmHeading(it->second), actionTitle(it->second), {}, *chord});
  }
}

}  // namespace

std::vector<DesktopBinding> xfceBindings(const std::map<std::string, std::string>& properties) {
  std::vector<DesktopBinding> out;
  appendSet(properties, "xfwm4", false, out);
  appendSet(properties, "commands", true, out);
  return out;
}

}  // namespace tavrine
