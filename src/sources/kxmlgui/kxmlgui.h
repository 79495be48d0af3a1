// SPDX-License-Identifier: MIT
// The shortcuts a KDE user gave an application's actions. KXmlGui writes an action the user
// rebound into the application's local ui file, $XDG_DATA_HOME/kxmlgui5/<app>/*.rc:
//   <ActionProperties scheme="Default"><Action name="file_new" shortcut="Ctrl+Alt+N"/>
// and the standard actions (New, Quit, Undo, ...) take their keys from kdeglobals' [Shortcuts]
// when the user changed those for every application: "Quit=Ctrl+Shift+Q; Ctrl+Q".
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine::sources::kxmlgui {

// Action name -> its keys in Qt's form ("Ctrl+Alt+N"); no keys: the user took them away.
using Bindings = std::map<std::string, std::vector<std::string>>;

inline constexpr std::size_t kMaxFileBytes = 1u << 20;
inline constexpr std::size_t kMaxUiFiles = 16;

// The <Action name shortcut> entries of a ui file's ActionProperties.
Bindings parseActionProperties(std::string_view xml);

// kdeglobals' [Shortcuts] group, keyed by the standard shortcut's name ("Quit").
Bindings parseStandardShortcuts(std::string_view kdeglobals);

// The standard shortcut a standard action takes its keys from: "file_quit" -> "Quit"; empty
// for an application's own action.
std::string_view standardShortcutOf(std::string_view action);

// What `program`'s user bound: kdeglobals under `configHome` for the standard actions, overridden
// by the program's own ui files under `dataHome`. Empty when neither folder is known.
Bindings userBindings(std::string_view program, const std::filesystem::path& dataHome,
                      const std::filesystem::path& configHome);

}  // namespace tavrine::sources::kxmlgui
