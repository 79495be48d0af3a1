// SPDX-License-Identifier: MIT
// Where the user's configuration lives: $XDG_CONFIG_HOME, else ~/.config. Relative values are
// not valid for either variable and count as unset.
#pragma once

#include <filesystem>

namespace tavrine {

// Empty when neither variable gives an absolute folder.
inline std::filesystem::path configHome(const char* xdgConfigHome, const char* home) {
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') return xdgConfigHome;
  if (home != nullptr && home[0] == '/') return std::filesystem::path(home) / ".config";
  return {};
}

// `name` in the configuration folder; empty when there is none.
inline std::filesystem::path configFile(const char* xdgConfigHome, const char* home,
                                        const std::filesystem::path& name) {
  const std::filesystem::path folder = configHome(xdgConfigHome, home);
  return folder.empty() ? folder : folder / name;
}

}  // namespace tavrine
