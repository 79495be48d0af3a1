// SPDX-License-Identifier: MIT
#include "platform/linux/atspi_replies.h"

#include <gtest/gtest.h>

namespace tavrine::atspi {
namespace {

TEST(AtspiRepliesTest, TextFormRoundTrips) {
  MenuReplies r;
  r.menuBar = "/bar";
  r.matches = {"/a", "/b"};
  r.cache = {{"/a", "/bar", kRoleMenu, "Tab\there, line\nbreak, back\\slash, return\r"}};
  r.children = {{"/bar", {"/a", "/b"}}, {"/a", {}}};
  r.names = {{"/a", ""}, {"/b", "Ünïcode …"}};
  r.roles = {{"/a", 4294967295u}};
  r.keyBindings = {{"/b", "n;<Alt>f:n;<Primary>n"}};
  const RepliesParse parsed = parseReplies(formatReplies(r));
  ASSERT_TRUE(parsed.replies) << parsed.error;
  EXPECT_EQ(*parsed.replies, r);
}

TEST(AtspiRepliesTest, MalformedLinesAreRejectedWithTheirLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"# ok\n\nmenubar\t/a\nbogus\t/a\n", "line 4: "},
      {"name\t/a\n", "line 1: "},       // too few fields
      {"match\t/a\t/b\n", "line 1: "},  // too many
      {"role\t/a\t-1\n", "line 1: bad role"},
      {"role\t/a\t4294967296\n", "line 1: bad role"},
      {"cache\t/a\t/b\tx\tName\n", "line 1: bad role"},
      {"name\t/a\tbad \\q escape\n", "line 1: bad escape"},
      {"name\t/a\ttrailing\\\n", "line 1: bad escape"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const RepliesParse parsed = parseReplies(c.text);
    EXPECT_FALSE(parsed.replies);
    EXPECT_EQ(parsed.error.rfind(c.error, 0), 0u) << parsed.error;
  }
}

}  // namespace
}  // namespace tavrine::atspi
