// One line of the overlay: a command title and its shortcut drawn as key caps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

struct ShortcutRow {
  std::string title;
  std::string shortcut;

  // The caps of a shortcut text: each modifier glyph ("⌃", "⌥", "⇧", "⌘", recognised under
  // canonical equivalence) is a cap of its own and each run of other user-perceived characters is
  // one cap, so "⌥⌘Esc" gives "⌥", "⌘", "Esc". No cap is empty.
  static std::vector<std::string> keyGroups(std::string_view shortcut);
  std::vector<std::string> keyGroups() const { return keyGroups(shortcut); }
};

}  // namespace tavrine
