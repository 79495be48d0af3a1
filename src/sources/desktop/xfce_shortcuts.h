// SPDX-License-Identifier: MIT
// Xfce's keyboard shortcuts as the user set them: the xfce4-keyboard-shortcuts channel of xfconf,
// whose properties are named after their accelerator ("/commands/custom/<Super>e" = "thunar",
// "/xfwm4/custom/<Alt>F4" = "close_window_key"). Each of the two sets has a default and a
// custom copy; "/commands/custom/override" (and xfwm4's) true puts the custom copy in force.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "sources/desktop/desktop_shortcuts.h"

namespace tavrine {

inline constexpr const char* kXfceShortcutsChannel = "xfce4-keyboard-shortcuts";

// The channel's properties, booleans as "true" and "false"; other kinds left out. The bound
// keys: xfwm4's actions (window actions under Window, the rest under System, titled by the
// action's name), then the commands under General, titled by the command.
std::vector<DesktopBinding> xfceBindings(const std::map<std::string, std::string>& properties);

}  // namespace tavrine
