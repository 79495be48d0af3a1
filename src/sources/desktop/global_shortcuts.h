// SPDX-License-Identifier: MIT
// KDE Plasma's global shortcuts as the user set them: kglobalshortcutsrc, a KConfig file of one
// group per component ("[kwin]", Plasma 6's "[services][org.kde.konsole.desktop]") whose entries
// read "action=current,default,friendly name" (a list in KConfig's escaping), the current field
// holding the action's chords joined by tabs, or "none".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "sources/desktop/desktop_shortcuts.h"

namespace tavrine {

inline constexpr std::uint64_t kMaxGlobalShortcutsBytes = 1u << 20;

// The bound actions, in file order: KWin's window actions under Window, the rest of KWin's and
// the session's, Plasma's, KRunner's, Spectacle's and the media keys' under System, other
// components' (applications') under General. An action bound to several chords shows the first
// one Tavrine can show.
std::vector<DesktopBinding> parseGlobalShortcuts(std::string_view text);

// The file as the user's configuration keeps it ($XDG_CONFIG_HOME, else ~/.config); empty when
// there is neither.
std::filesystem::path globalShortcutsPath(const char* xdgConfigHome, const char* home);

// The file read and parsed; none when it cannot be read.
std::vector<DesktopBinding> readGlobalShortcuts(const std::filesystem::path& path);

}  // namespace tavrine
