// SPDX-License-Identifier: MIT
#include "overlay/shortcut_row.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harvest/accessibility_helper.h"
#include "harvest/key_equivalent.h"
#include "support/golden_cases.h"

namespace tavrine {
namespace {

using Caps = std::vector<std::string>;

std::string joined(const std::vector<Caps>& groups) {
  std::string out;
  for (const Caps& caps : groups)
    for (const std::string& cap : caps)
      out += (out.empty() ? "" : " ") + cap;
  return out;
}

// tests/golden/caps.txt: the harvest's text of a key equivalent, a row's caps and the row spoken,
// in glyphs and in words.
TEST(ShortcutRowTest, CapsAndSpeechReadAsTheExamplesSay) {
  const std::vector<std::string> cases = doubles::goldenCases("caps.txt");
  for (const std::string& line : cases) {
    const std::size_t space = line.find(' '), open = line.find(" ["), arrow = line.find("] -> [");
    ASSERT_TRUE(open != line.npos && arrow != line.npos && line.back() == ']') << line;
    const std::string what = line.substr(0, space);
    const std::int64_t mask = std::stoll(line.substr(space + 1, open - space - 1));
    const std::string key = doubles::unescaped(line.substr(open + 2, arrow - open - 2));
    const std::string shown = line.substr(arrow + 6, line.size() - arrow - 7);
    const KeyCapStyle style = what.ends_with("words") ? KeyCapStyle::words : KeyCapStyle::glyphs;
    const ShortcutRow row{"Title", {keyEquivalentChord(mask, key)}, style, {}};
    EXPECT_EQ(what == "text"             ? AccessibilityHelper::formatShortcut(mask, key)
              : what.starts_with("say-") ? row.spokenShortcut("or")
                                         : joined(row.keyGroups()),
              shown)
        << line;
  }
  EXPECT_EQ(cases.size(), 63u) << "examples read";
}

// No key, or an empty one, shows its modifiers alone and never an empty cap; no chord, nothing.
TEST(ShortcutRowTest, AChordWithoutAKeyShowsItsModifiersAlone) {
  constexpr unsigned C = KeyChord::kControl, P = KeyChord::kPrimary;
  EXPECT_EQ((ShortcutRow{"T", {KeyChord::make(C, {})}, KeyCapStyle::words, {}}.keyGroups()),
            std::vector<Caps>{{"Super"}});
  EXPECT_EQ((ShortcutRow{"T", {KeyChord::make(P, "")}, KeyCapStyle::glyphs, {}}.keyGroups()),
            std::vector<Caps>{{"⌘"}});
  const ShortcutRow none{"T", {KeyChord{}}, KeyCapStyle::words, {}};
  EXPECT_EQ(none.keyGroups(), std::vector<Caps>{{}});
  EXPECT_EQ(none.spokenShortcut("or"), "");
}

}  // namespace
}  // namespace tavrine
