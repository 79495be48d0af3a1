// SPDX-License-Identifier: MIT
#include "overlay/shortcut_row.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace tavrine {
namespace {

using Caps = std::vector<std::string>;

// Each modifier glyph is a cap, each run of other characters (whole graphemes) one cap; in words
// the modifiers of a run are renamed and put Ctrl first.
TEST(ShortcutRowTest, SplitsShortcutsIntoCaps) {
  constexpr KeyCapStyle glyphs = KeyCapStyle::glyphs, words = KeyCapStyle::words;
  const std::vector<std::tuple<std::string, KeyCapStyle, Caps>> cases = {
      {"⌃⌥⇧⌘K", glyphs, {"⌃", "⌥", "⇧", "⌘", "K"}},
      {"⌥⌘Esc", glyphs, {"⌥", "⌘", "Esc"}},
      {"⌘⌫", glyphs, {"⌘", "⌫"}},
      {"⌘⌘", glyphs, {"⌘", "⌘"}},
      {"⌘⌃K", glyphs, {"⌘", "⌃", "K"}},  // glyphs keep the text's order
      {"A⌘B", glyphs, {"A", "⌘", "B"}},
      {"⌘ ", glyphs, {"⌘", " "}},
      {"", glyphs, {}},
      {"⌘E\u0301", glyphs, {"⌘", "E\u0301"}},  // a combining mark stays with its character
      {"⌘\u0301X", glyphs, {"⌘\u0301X"}},      // and a glyph carrying one is no modifier
      {"\u0301⌘", glyphs, {"\u0301", "⌘"}},
      {"⇧⌘Z", words, {"Ctrl", "Shift", "Z"}},
      {"⌃⌥⇧⌘K", words, {"Ctrl", "Alt", "Shift", "Super", "K"}},
      {"⌥⌘Esc", words, {"Ctrl", "Alt", "Esc"}},
      {"⌃⇧←", words, {"Shift", "Super", "←"}},
      {"⌃", words, {"Super"}},
      {"A⌘B", words, {"A", "Ctrl", "B"}},
      {"⌘\u0301X", words, {"⌘\u0301X"}},
  };
  for (const auto& [shortcut, style, caps] : cases)
    EXPECT_EQ(ShortcutRow::keyGroups(shortcut, style), caps) << shortcut;
}

// Every cap in words: macOS's names in glyphs, the Linux names joined by "+" in words.
TEST(ShortcutRowTest, TheRowSpeaksItsCapsInItsStyle) {
  constexpr KeyCapStyle glyphs = KeyCapStyle::glyphs, words = KeyCapStyle::words;
  const std::vector<std::tuple<std::string, KeyCapStyle, std::string>> cases = {
      {"⌥⇧⌘V", glyphs, "Option Shift Command V"},
      {"⌃⌘↑", glyphs, "Control Command Up Arrow"},
      {"⌘⌫", glyphs, "Command Delete"},
      {"⌘⌦", glyphs, "Command Forward Delete"},
      {"⌥⌘⎋", glyphs, "Option Command Escape"},
      {"⌘↖", glyphs, "Command Home"},
      {"⌘U+0002", glyphs, "Command U+0002"},
      {"⇧⌘Z", words, "Ctrl+Shift+Z"},
      {"⌘+", words, "Ctrl++"},
      {"⌘⌫", words, "Ctrl+Backspace"},
      {"⌘⌦", words, "Ctrl+Delete"},
      {"⌥⌘Esc", words, "Ctrl+Alt+Escape"},
      {"⌃⇟", words, "Super+Page Down"},
      {"", words, ""}};
  for (const auto& [shortcut, style, spoken] : cases)
    EXPECT_EQ((ShortcutRow{"Title", shortcut, style}.spokenShortcut()), spoken) << shortcut;
}

}  // namespace
}  // namespace tavrine
