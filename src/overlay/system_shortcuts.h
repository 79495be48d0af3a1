// SPDX-License-Identifier: MIT
// The built-in, bilingual catalogue of common system shortcuts shown below every application's.
#pragma once

#include <string_view>
#include <vector>

namespace tavrine {

// The desktop whose own shortcuts the catalogue lists. The program tells it at start-up (on Linux
// from XDG_CURRENT_DESKTOP); otherLinux holds what most Linux desktops share.
enum class Desktop { macOS, gnome, kde, xfce, otherLinux };

class SystemShortcuts {
 public:
  SystemShortcuts() = delete;

  struct Item {
    std::string_view titleEN;
    std::string_view titleZH;
    // Modifier glyphs in the order ⌃⌥⇧⌘, then the key; unique within its group. On Linux ⌘ is
    // Ctrl and ⌃ is Super, as the cap style in words shows them.
    std::string_view shortcut;
  };

  struct Group {
    std::string_view nameEN;  // unique in the catalogue
    std::string_view nameZH;
    std::vector<Item> items;
  };

  // The four groups for `desktop` in display order; each catalogue is built once, never changed.
  static const std::vector<Group>& groups(Desktop desktop = Desktop::macOS);
};

}  // namespace tavrine
