// SPDX-License-Identifier: MIT
// A keyboard shortcut as keys: modifiers by what they mean, and one key. Every source of
// shortcuts delivers chords; display texts and key caps are made from them, never the reverse.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "model/named_key.h"

namespace tavrine {

struct KeyChord {
  // A modifier pressed alone (Super opening a desktop's overview), a named key, or a printable
  // key as its cap shows it ("Z", ",", "SS"): sources upper-case and make visible what they read.
  using Key = std::variant<std::monostate, NamedKey, std::string>;

  bool control = false;  // Control on macOS, Super on Linux desktops
  bool alt = false;      // Option on macOS
  bool shift = false;
  bool primary = false;  // Command on macOS, Ctrl on Linux desktops
  Key key;

  // Modifier bits, to write a chord down in one expression: make(kShift | kPrimary, "Z").
  enum Modifier : unsigned { kControl = 1, kAlt = 2, kShift = 4, kPrimary = 8 };
  static KeyChord make(unsigned modifiers, Key key);

  friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

// How modifier caps read: Apple's glyphs (macOS), or the words Linux desktops print on keys.
// Chosen once by the program at start-up.
enum class KeyCapStyle {
  glyphs,  // ⌃ ⌥ ⇧ ⌘, in that order
  words,   // Ctrl (primary), Alt, Shift, Super (control), in that order
};

// One cap per modifier in the style's order, then the key's cap (a named key by its glyph or
// short name, "⇞", "F5", "Esc"); no cap for a chord without a key.
std::vector<std::string> keyCaps(const KeyChord& chord, KeyCapStyle style = KeyCapStyle::glyphs);

// The display text of a chord: its caps in glyphs with nothing between them, "⇧⌘Z".
std::string shortcutText(const KeyChord& chord);

// The chord as assistive technologies read it out, each cap in words: macOS's names joined by
// spaces in glyphs ("Option Shift Command V", "Command Up Arrow"), the Linux names joined by "+"
// in words ("Ctrl+Shift+Z", "Ctrl+Backspace").
std::string spokenChord(const KeyChord& chord, KeyCapStyle style);

struct KeyChordHash {
  std::size_t operator()(const KeyChord& chord) const;
};

}  // namespace tavrine
