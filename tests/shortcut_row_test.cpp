// SPDX-License-Identifier: MIT
#include "overlay/shortcut_row.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "harvest/key_equivalent.h"

namespace tavrine {
namespace {

using Caps = std::vector<std::string>;
constexpr unsigned C = KeyChord::kControl, A = KeyChord::kAlt, S = KeyChord::kShift,
                   P = KeyChord::kPrimary;
constexpr KeyCapStyle glyphs = KeyCapStyle::glyphs, words = KeyCapStyle::words;

// One cap per modifier, ⌃⌥⇧⌘ in glyphs and Ctrl first in words, then the key's cap.
TEST(ShortcutRowTest, DrawsOneCapPerModifierInItsStyleThenTheKey) {
  const std::vector<std::tuple<KeyChord, KeyCapStyle, Caps>> cases = {
      {KeyChord::make(C | A | S | P, "K"), glyphs, {"⌃", "⌥", "⇧", "⌘", "K"}},
      {KeyChord::make(C | A | S | P, "K"), words, {"Ctrl", "Alt", "Shift", "Super", "K"}},
      {KeyChord::make(A | P, NamedKey::escape), glyphs, {"⌥", "⌘", "Esc"}},
      {KeyChord::make(A | P, NamedKey::escape), words, {"Ctrl", "Alt", "Esc"}},
      {KeyChord::make(C | S, NamedKey::leftArrow), words, {"Shift", "Super", "←"}},
      // Apple's glyphs for keys a PC keyboard names
      {KeyChord::make(P, NamedKey::pageDown), words, {"Ctrl", "PgDn"}},
      {KeyChord::make(P, NamedKey::pageDown), glyphs, {"⌘", "⇟"}},
      {KeyChord::make(S, NamedKey::forwardDelete), words, {"Shift", "Del"}},
      {KeyChord::make(P, NamedKey::backspace), glyphs, {"⌘", "⌫"}},
      {KeyChord::make(P, "⌘"), glyphs, {"⌘", "⌘"}},  // a key that looks like a modifier
      {KeyChord::make(C, {}), words, {"Super"}},     // a modifier pressed alone
      {KeyChord::make(P, ""), glyphs, {"⌘"}},        // never an empty cap
      {KeyChord{}, glyphs, {}},
  };
  for (const auto& [chord, style, caps] : cases) {
    EXPECT_EQ((ShortcutRow{"Title", {chord}, style}.keyGroups()), std::vector<Caps>{caps})
        << shortcutText(chord);
  }
}

// Every cap in words: macOS's names in glyphs, the Linux names joined by "+" in words.
TEST(ShortcutRowTest, TheRowSpeaksItsCapsInItsStyle) {
  const std::vector<std::tuple<KeyChord, KeyCapStyle, std::string>> cases = {
      {KeyChord::make(A | S | P, "V"), glyphs, "Option Shift Command V"},
      {KeyChord::make(C | P, NamedKey::upArrow), glyphs, "Control Command Up Arrow"},
      {KeyChord::make(P, NamedKey::backspace), glyphs, "Command Delete"},
      {KeyChord::make(P, NamedKey::forwardDelete), glyphs, "Command Forward Delete"},
      {KeyChord::make(A | P, NamedKey::escape), glyphs, "Option Command Escape"},
      {KeyChord::make(P, NamedKey::home), glyphs, "Command Home"},
      {keyEquivalentChord(0, "\x02"), glyphs, "Command U+0002"},
      {KeyChord::make(S | P, "Z"), words, "Ctrl+Shift+Z"},
      {KeyChord::make(P, "+"), words, "Ctrl++"},
      {KeyChord::make(P, NamedKey::backspace), words, "Ctrl+Backspace"},
      {KeyChord::make(P, NamedKey::forwardDelete), words, "Ctrl+Delete"},
      {KeyChord::make(A | P, NamedKey::escape), words, "Ctrl+Alt+Escape"},
      {KeyChord::make(C, NamedKey::pageDown), words, "Super+Page Down"},
      {KeyChord{}, words, ""}};
  for (const auto& [chord, style, spoken] : cases)
    EXPECT_EQ((ShortcutRow{"Title", {chord}, style}.spokenShortcut("or")), spoken) << spoken;
}

}  // namespace
}  // namespace tavrine
