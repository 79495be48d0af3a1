// SPDX-License-Identifier: MIT
// One line of the overlay: a command title and its shortcut drawn as key caps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrine {

// How modifier caps read: Apple's glyphs (macOS), or the words Linux desktops print on keys,
// Ctrl first. Chosen once by the program at start-up.
enum class KeyCapStyle {
  glyphs,  // ⌃ ⌥ ⇧ ⌘, in the order of the text
  words,   // Ctrl (for ⌘), Alt (⌥), Shift (⇧), Super (⌃), in that order
};

struct ShortcutRow {
  std::string title;
  std::string shortcut;
  KeyCapStyle capStyle = KeyCapStyle::glyphs;

  // The caps of a shortcut text: each modifier glyph ("⌃", "⌥", "⇧", "⌘", recognised under
  // canonical equivalence) is a cap of its own and each run of other user-perceived characters is
  // one cap, so "⌥⌘Esc" gives "⌥", "⌘", "Esc". No cap is empty. In words, each run of modifiers
  // is renamed and put in the words' order: "⌥⌘Esc" gives "Ctrl", "Alt", "Esc".
  static std::vector<std::string> keyGroups(std::string_view shortcut,
                                            KeyCapStyle style = KeyCapStyle::glyphs);
  std::vector<std::string> keyGroups() const { return keyGroups(shortcut, capStyle); }

  // The shortcut as assistive technologies read it out, each cap in words: macOS's names joined
  // by spaces in glyphs ("Option Shift Command V", "Command Up Arrow"), the Linux names joined by
  // "+" in words ("Ctrl+Shift+Z", "Ctrl+Backspace"). Other caps are read as they are.
  std::string spokenShortcut() const;
};

}  // namespace tavrine
