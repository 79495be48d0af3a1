// SPDX-License-Identifier: MIT
// One line of the overlay: a command title and its shortcuts drawn as key caps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/key_chord.h"

namespace tavrine {

struct ShortcutRow {
  std::string title;
  std::vector<KeyChord> shortcuts;  // every chord that runs the command, at least one
  KeyCapStyle capStyle = KeyCapStyle::glyphs;
  // What takes the shortcut before the application ("taken by the desktop: …"), in the current
  // language; empty when nothing does.
  std::string conflict;

  // The caps of each shortcut, one per modifier and one for the key, in the row's style: "⌥⌘Esc"
  // gives "⌥", "⌘", "Esc" in glyphs and "Ctrl", "Alt", "Esc" in words. No cap is empty.
  std::vector<std::vector<std::string>> keyGroups() const {
    std::vector<std::vector<std::string>> groups;
    for (const KeyChord& chord : shortcuts)
      groups.push_back(keyCaps(chord, capStyle));
    return groups;
  }

  // The shortcuts as assistive technologies read them out ("Option Shift Command V",
  // "Ctrl+Shift+Z"), several joined by `orWord`: "Ctrl+G or F3".
  std::string spokenShortcut(std::string_view orWord) const {
    std::string spoken;
    for (const KeyChord& chord : shortcuts) {
      if (!spoken.empty()) spoken.append(" ").append(orWord).append(" ");
      spoken += spokenChord(chord, capStyle);
    }
    return spoken;
  }
};

}  // namespace tavrine
