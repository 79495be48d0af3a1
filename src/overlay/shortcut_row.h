// SPDX-License-Identifier: MIT
// One line of the overlay: a command title and its shortcut drawn as key caps.
#pragma once

#include <string>
#include <vector>

#include "model/key_chord.h"

namespace tavrine {

struct ShortcutRow {
  std::string title;
  KeyChord shortcut;
  KeyCapStyle capStyle = KeyCapStyle::glyphs;

  // The caps of the shortcut, one per modifier and one for the key, in the row's style: "⌥⌘Esc"
  // gives "⌥", "⌘", "Esc" in glyphs and "Ctrl", "Alt", "Esc" in words. No cap is empty.
  std::vector<std::string> keyGroups() const { return keyCaps(shortcut, capStyle); }

  // The shortcut as assistive technologies read it out ("Option Shift Command V",
  // "Ctrl+Shift+Z").
  std::string spokenShortcut() const { return spokenChord(shortcut, capStyle); }
};

}  // namespace tavrine
