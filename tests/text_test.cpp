#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/unicode.h"

namespace tavrine::text {
namespace {

const std::string kDecomposedE = "e\xCC\x81";  // e + U+0301
const std::string kComposedE = "\xC3\xA9";     // U+00E9

TEST(TextTest, CanonicalEquivalenceDrivesEqualityHashAndOrder) {
  EXPECT_TRUE(canonicalEquals("Caf" + kDecomposedE, "Caf" + kComposedE));
  EXPECT_EQ(canonicalHash("Caf" + kDecomposedE), canonicalHash("Caf" + kComposedE));
  EXPECT_FALSE(canonicalEquals("edit", "Edit"));
  EXPECT_FALSE(canonicalEquals("…", "..."));
  EXPECT_EQ(canonical("Caf" + kDecomposedE), "Caf" + kComposedE);

  EXPECT_TRUE(canonicalLess("Window", "edit"));  // upper case before lower case
  EXPECT_TRUE(canonicalLess("Zoom", "文件"));
  EXPECT_FALSE(canonicalLess(kDecomposedE, kComposedE));
  EXPECT_FALSE(canonicalLess(kComposedE, kDecomposedE));
}

TEST(TextTest, IllFormedInputIsReadWithReplacementCharacters) {
  const std::string bad = "a\xFF\xC3";
  EXPECT_EQ(canonical(bad), "a\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_TRUE(canonicalEquals(bad, bad));
  std::string joined;
  for (std::string_view g : graphemes(bad))
    joined += g;
  EXPECT_EQ(joined, bad);  // nothing dropped
}

TEST(TextTest, SingleCodePointsAndTheirEncoding) {
  EXPECT_EQ(singleCodePoint(kComposedE), U'\u00E9');
  EXPECT_EQ(singleCodePoint("\uF700"), U'\uF700');
  EXPECT_EQ(singleCodePoint(kDecomposedE), std::nullopt);
  EXPECT_EQ(singleCodePoint(""), std::nullopt);
  EXPECT_EQ(singleCodePoint("\xED\xA0\x80"), std::nullopt);  // a surrogate
  EXPECT_EQ(singleCodePoint("\xC3"), std::nullopt);
  EXPECT_EQ(toUtf8(U'\U0001F600'), "\U0001F600");
  EXPECT_EQ(toUtf8(0xD800), "\uFFFD");
  EXPECT_EQ(toUtf8(0x110000), "\uFFFD");
  EXPECT_EQ(showControlCharacters("a\x01\x7F\xC2\x9F\xC2\xA0"
                                  "b"),
            "a\u2401\u2421\uFFFD\u00A0b");
}

TEST(TextTest, GraphemesKeepUserPerceivedCharactersWhole) {
  EXPECT_EQ(graphemes("E" + kDecomposedE + "⌘"),
            (std::vector<std::string_view>{"E", kDecomposedE, "⌘"}));
  EXPECT_EQ(graphemes("\r\nx"), (std::vector<std::string_view>{"\r\n", "x"}));
  EXPECT_EQ(graphemes("👍🏽!"), (std::vector<std::string_view>{"👍🏽", "!"}));
  EXPECT_TRUE(graphemes("").empty());
}

TEST(TextTest, UpperCasingIsFullAndLocaleIndependent) {
  EXPECT_EQ(toUpperFull("general"), "GENERAL");
  EXPECT_EQ(toUpperFull("ß"), "SS");
  EXPECT_EQ(toUpperFull("istanbul"), "ISTANBUL");  // no Turkish dotted I
  EXPECT_EQ(toUpperFull("通用"), "通用");
  EXPECT_EQ(toUpperFull(",↑"), ",↑");
}

TEST(TextTest, TrimmingTakesSpaceSeparatorsAndTabsButNotLineBreaks) {
  EXPECT_EQ(trimSpacesAndTabs(" \t\u3000Print\u00A0 "), "Print");
  EXPECT_EQ(trimSpacesAndTabs("\nPrint\n"), "\nPrint\n");
  EXPECT_EQ(trimSpacesAndTabs("   "), "");
}

TEST(TextTest, ReplaceAllScansWithoutOverlap) {
  EXPECT_EQ(replaceAll("a……b", "…", "..."), "a......b");
  EXPECT_EQ(replaceAll("....", "...", ""), ".");
  EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

}  // namespace
}  // namespace tavrine::text
