// SPDX-License-Identifier: MIT
// GTK accelerator maps (accels.scm, accels): where GTK 2 and 3 applications such as Thunar keep
// the accelerators of their actions, including the ones the user changed. Each line is
//   (gtk_accel_path "<Actions>/ThunarWindow/new-tab" "<Primary>t")
// and GTK writes the ones still at their defaults commented out with ";". Both are current.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine::sources::accel_map {

struct AccelEntry {
  std::string path;         // "<Actions>/ThunarWindow/new-tab"
  std::string accelerator;  // "<Primary>t"; empty when the action has none
  bool changed = false;     // written by the user (not commented out)

  bool operator==(const AccelEntry&) const = default;
};

inline constexpr std::size_t kMaxMapBytes = 1u << 20;
inline constexpr std::size_t kMaxEntries = 10000;

// The entries of an accelerator map, in file order. Lines that are not entries are skipped.
std::vector<AccelEntry> parseAccelMap(std::string_view text);

// The action's own name, the last part of its path: "<Actions>/ThunarWindow/new-tab" -> "new-tab".
std::string_view actionName(std::string_view path);

// Where `program` may keep its map, most likely first: $XDG_CONFIG_HOME/<Program>/accels.scm or
// .../accels, the folder named as the program is or with its first letter upper-cased ("Thunar",
// "Mousepad", "pluma"), then GTK 2's ~/.gnome2/accels/<program>. Null `configHome` means
// ~/.config; null `home` leaves out the last.
std::vector<std::filesystem::path> mapCandidates(std::string_view program, const char* configHome,
                                                 const char* home);

// The map read from the first candidate that exists; none when there is none.
std::optional<std::vector<AccelEntry>> readAccelMap(
    const std::vector<std::filesystem::path>& candidates);

}  // namespace tavrine::sources::accel_map
