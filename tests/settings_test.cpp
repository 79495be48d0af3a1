// SPDX-License-Identifier: MIT
#include "settings/settings.h"

#include <gtest/gtest.h>

#include "support/golden_cases.h"

namespace tavrine::settings {
namespace {

// A good value is read (shown as written back), a bad one gives one message naming the file, line
// and value, and keeps its default. Writing keeps the user's text and edits values in place.
TEST(SettingsTest, FollowsTheTable) {
  Settings written;
  written.trigger = Trigger::alt;
  written.holdDelayMs = 300;
  written.neverShowOver = {"steam", "a\"b"};
  written.startAtLogin = true;
  const auto rows = doubles::caseRows(std::filesystem::path(TAVRINE_GOLDEN_DIR) / "settings.txt");
  ASSERT_EQ(rows.size(), 20U);
  for (const auto& row : rows) {
    SCOPED_TRACE(row[1]);
    const std::string text = doubles::unescaped(row[1]), want = doubles::unescaped(row[2]);
    if (row[0] != "parse") {
      EXPECT_EQ(row[0] == "write" ? write(text, written) : write("", parse(text, "").settings),
                want);
      continue;
    }
    const Reading r = parse(text, "s.toml");
    std::string said;
    for (const std::string& problem : r.problems)
      said += (said.empty() ? "" : "\n") + problem;
    EXPECT_EQ(said, want);
    EXPECT_EQ(r.settings, Settings{});
  }
  EXPECT_EQ(write("# only\n", Settings{}), "# only\n");
}

TEST(SettingsTest, ExcludesByIdOrClassWithoutCaseOrEnding) {
  Settings s;
  s.neverShowOver = {"org.gnome.Gedit.desktop", "Gimp"};
  for (const char* name : {"org.gnome.gedit", "gimp", "GIMP.desktop"})
    EXPECT_TRUE(s.excludes(name));
  for (const char* name : {"gedit", ""})
    EXPECT_FALSE(s.excludes(name));
  EXPECT_EQ(filePath("/c", "/h"), "/c/tavrine/settings.toml");
  EXPECT_EQ(filePath("rel", "/h"), "/h/.config/tavrine/settings.toml");
  EXPECT_EQ(filePath(nullptr, nullptr), "");
}

}  // namespace
}  // namespace tavrine::settings
