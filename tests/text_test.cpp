// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/unicode.h"

namespace tavrine::text {
namespace {

const std::string kDecomposedE = "e\xCC\x81";  // e + U+0301
const std::string kComposedE = "\xC3\xA9";     // U+00E9

TEST(TextTest, GraphemesKeepUserPerceivedCharactersWholeAndClipsCutBetweenThem) {
  const std::vector<std::pair<std::string, std::vector<std::string_view>>> cases = {
      {"E" + kDecomposedE + "⌘", {"E", kDecomposedE, "⌘"}},
      {"\r\nx", {"\r\n", "x"}},
      {"👍🏽!", {"👍🏽", "!"}},
      {"a\xFF\xC3", {"a", "\xFF", "\xC3"}},
      {"", {}},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(graphemes(text), expected) << text;
  // Clipping to a byte budget cuts between them.
  EXPECT_EQ(clipToGraphemes("Save", 4), "Save");
  EXPECT_EQ(clipToGraphemes("Save" + kDecomposedE, 5), "Save");  // not between e and its accent
  EXPECT_EQ(clipToGraphemes("a👍🏽", 6), "a");
  EXPECT_EQ(clipToGraphemes("ab\r\n", 3), "ab");
  const std::string huge = "x" + std::string(8 << 20, 'y');
  EXPECT_EQ(clipToGraphemes(huge, 3), "xyy");
}

TEST(TextTest, CodePointsTheirEncodingAndIllFormedInput) {
  EXPECT_EQ(singleCodePoint(kComposedE), U'\u00E9');
  EXPECT_EQ(singleCodePoint(kDecomposedE), std::nullopt);
  EXPECT_EQ(singleCodePoint("\xED\xA0\x80"), std::nullopt);  // a surrogate
  EXPECT_EQ(singleCodePoint("\xC3"), std::nullopt);
  EXPECT_EQ(toUtf8(U'\U0001F600'), "\U0001F600");
  EXPECT_EQ(toUtf8(0xD800), "\uFFFD");
  EXPECT_EQ(toUtf8(0x110000), "\uFFFD");
  EXPECT_EQ(canonical("a\xFF\xC3"), "a\uFFFD\uFFFD");  // one U+FFFD per ill-formed sequence
  // Controls, a no-break space, a lone combining mark, a format character, private use: each
  // becomes its code point; a mark after a letter, an emoji sequence, bad bytes stay.
  EXPECT_EQ(showUnprintable("a\x01\x7F\xC2\x9F\xC2\xA0"
                            "b"),
            "aU+0001U+007FU+009FU+00A0b");
  EXPECT_EQ(showUnprintable("\u0301e\u0301\u200B\uF748\U0010FFFD"),
            "U+0301e\u0301U+200BU+F748U+10FFFD");
  EXPECT_EQ(showUnprintable("\U0001F468\u200D\U0001F469 \xC3"),
            "\U0001F468\u200D\U0001F469U+0020\xC3");
}

TEST(TextTest, TrimmingAndReplacing) {
  EXPECT_EQ(trimSpacesAndTabs(" \t\u3000Print\u00A0 "), "Print");
  EXPECT_EQ(trimSpacesAndTabs("   "), "");
  EXPECT_EQ(replaceAll("....", "...", ""), ".");  // no overlap
  EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

}  // namespace
}  // namespace tavrine::text
