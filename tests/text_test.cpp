// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/unicode.h"

namespace tavrine::text {
namespace {

const std::string kDecomposedE = "e\xCC\x81";  // e + U+0301
const std::string kComposedE = "\xC3\xA9";     // U+00E9

TEST(TextTest, GraphemesKeepUserPerceivedCharactersWholeAndDropNothing) {
  const std::vector<std::pair<std::string, std::vector<std::string_view>>> cases = {
      {"E" + kDecomposedE + "⌘", {"E", kDecomposedE, "⌘"}},
      {"\r\nx", {"\r\n", "x"}},
      {"👍🏽!", {"👍🏽", "!"}},
      {"a\xFF\xC3", {"a", "\xFF", "\xC3"}},
      {"", {}},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(graphemes(text), expected) << text;
}

TEST(TextTest, CodePointsTheirEncodingAndIllFormedInput) {
  EXPECT_EQ(singleCodePoint(kComposedE), U'\u00E9');
  EXPECT_EQ(singleCodePoint("\uF700"), U'\uF700');
  EXPECT_EQ(singleCodePoint(kDecomposedE), std::nullopt);
  EXPECT_EQ(singleCodePoint(""), std::nullopt);
  EXPECT_EQ(singleCodePoint("\xED\xA0\x80"), std::nullopt);  // a surrogate
  EXPECT_EQ(singleCodePoint("\xC3"), std::nullopt);
  EXPECT_EQ(toUtf8(U'\U0001F600'), "\U0001F600");
  EXPECT_EQ(toUtf8(0xD800), "\uFFFD");
  EXPECT_EQ(toUtf8(0x110000), "\uFFFD");
  EXPECT_EQ(canonical("a\xFF\xC3"), "a\uFFFD\uFFFD");  // one U+FFFD per ill-formed sequence
  EXPECT_EQ(showControlCharacters("a\x01\x7F\xC2\x9F\xC2\xA0"
                                  "b"),
            "a\u2401\u2421\uFFFD\u00A0b");
}

TEST(TextTest, UpperCasingTrimmingAndReplacing) {
  EXPECT_EQ(toUpperFull("ß"), "SS");
  EXPECT_EQ(toUpperFull("通用,↑"), "通用,↑");
  EXPECT_EQ(trimSpacesAndTabs(" \t\u3000Print\u00A0 "), "Print");
  EXPECT_EQ(trimSpacesAndTabs("   "), "");
  EXPECT_EQ(replaceAll("....", "...", ""), ".");  // no overlap
  EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

}  // namespace
}  // namespace tavrine::text
