// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/golden_cases.h"
#include "text/unicode.h"

namespace tavrine::text {
namespace {

// tests/golden/text.txt: graphemes and clips, single code points, canonical forms, unprintables
// shown, trimming.
TEST(TextTest, HelpersReadAsTheExamplesSay) {
  const std::vector<std::string> cases = doubles::goldenCases("text.txt");
  for (const std::string& line : cases) {
    const std::size_t open = line.find('['), arrow = line.find("] -> [");
    ASSERT_TRUE(open != line.npos && arrow != line.npos && line.back() == ']') << line;
    const std::string in = doubles::unescaped(line.substr(open + 1, arrow - open - 1));
    const std::string helper = line.substr(0, line.find(' '));
    std::string got;
    if (helper == "graphemes") {
      for (const std::string_view g : graphemes(in))
        got += (got.empty() ? "" : "|") + std::string(g);
    } else if (helper == "clip") {
      got = clipToGraphemes(in, std::stoul(line.substr(5)));
    } else if (helper == "code") {
      char code[16] = "none";
      if (const auto c = singleCodePoint(in)) std::snprintf(code, sizeof code, "U+%04X", *c);
      got = code;
    } else {
      got = helper == "canonical" ? canonical(in)
            : helper == "trim"    ? std::string(trimSpacesAndTabs(in))
                                  : showUnprintable(in);
    }
    EXPECT_EQ(got, doubles::unescaped(line.substr(arrow + 6, line.size() - arrow - 7))) << line;
  }
  EXPECT_EQ(cases.size(), 20u) << "examples read";
}

TEST(TextTest, EncodingReplacingAndHugeTexts) {
  EXPECT_EQ(toUtf8(U'\U0001F600'), "\U0001F600");
  EXPECT_EQ(toUtf8(0xD800), "\uFFFD");
  EXPECT_EQ(toUtf8(0x110000), "\uFFFD");
  EXPECT_EQ(replaceAll("....", "...", ""), ".");  // no overlap
  EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
  const std::string huge = "x" + std::string(8 << 20, 'y');
  EXPECT_EQ(clipToGraphemes(huge, 3), "xyy");
}

}  // namespace
}  // namespace tavrine::text
