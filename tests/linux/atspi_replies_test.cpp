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

}  // namespace
}  // namespace tavrine::atspi
