// SPDX-License-Identifier: MIT
#include "settings/settings.h"

#include <gtest/gtest.h>

namespace tavrine::settings {
namespace {

TEST(SettingsTest, ReadsEveryKey) {
  const Reading r = parse(
      "trigger = \"super\"\nhold_delay_ms = 200\nnever_show_over = [\"steam\", \"Gimp\"]\n"
      "placement = \"pointer\"\nappearance = \"dark\"\nsize_percent = 150\nlanguage = \"zh\"\n"
      "start_at_login = true\n",
      "s.toml");
  EXPECT_TRUE(r.problems.empty());
  const Settings want{Trigger::super,   200, {"steam", "Gimp"}, Placement::pointer,
                      Appearance::dark, 150, Language::chinese, true};
  EXPECT_EQ(r.settings, want);
}

// Each bad line gives one message with the file, line and value, and the default.
TEST(SettingsTest, BadValuesKeepTheirDefault) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"trigger = \"ctrl\"",
       "s.toml:1: trigger = \"ctrl\" is not one of \"primary\", \"super\", "
       "\"alt\"; using \"primary\""},
      {"hold_delay_ms = 149",
       "hold_delay_ms = 149 is not a whole number of milliseconds from "
       "150 to 3000; using 500"},
      {"hold_delay_ms = 3001", "hold_delay_ms = 3001 is not"},
      {"hold_delay_ms = \"fast\"", "hold_delay_ms = \"fast\" is not"},
      {"hold_delay_ms = 300.0", "hold_delay_ms = 300.0 is not"},
      {"size_percent = 79", "size_percent = 79 is not a whole number from 80 to 150; using 100"},
      {"size_percent = 151", "size_percent = 151 is not"},
      {"never_show_over = \"steam\"", "never_show_over = \"steam\" is not a list"},
      {"placement = \"left\"", "placement = \"left\" is not one of"},
      {"appearance = \"auto\"", "appearance = \"auto\" is not one of"},
      {"language = \"fr\"", "language = \"fr\" is not one of \"en\", \"zh\"; using \"en\""},
      {"start_at_login = \"yes\"", "start_at_login = \"yes\" is not true or false; using false"},
      {"colour = 3", "s.toml:1: colour is not a setting; ignored"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const Reading r = parse(c.line, "s.toml");
    ASSERT_EQ(r.problems.size(), 1U);
    EXPECT_NE(r.problems[0].find(c.message), std::string::npos) << r.problems[0];
    EXPECT_EQ(r.settings, Settings{});
  }
}

TEST(SettingsTest, GoodValuesReadBesideBadOnes) {
  Reading r = parse(
      "trigger = 1\nnever_show_over = [\"steam\", 3, \"\"]\nhold_delay_ms = 9\n"
      "size_percent = 90\n",
      "s.toml");
  EXPECT_EQ(r.settings.neverShowOver, std::vector<std::string>{"steam"});
  EXPECT_EQ(r.settings.sizePercent, 90);
  EXPECT_EQ(r.problems.size(), 4U);
  r = parse("trigger = \"alt\"\nhold_delay_ms = = 3\n", "s.toml");
  EXPECT_EQ(r.settings, Settings{});
  ASSERT_EQ(r.problems.size(), 1U);
  EXPECT_EQ(r.problems[0].rfind("s.toml:2: not a TOML file", 0), 0U) << r.problems[0];
}

TEST(SettingsTest, ExcludesByIdOrClassWithoutCaseOrEnding) {
  Settings s;
  s.neverShowOver = {"org.gnome.Gedit.desktop", "Gimp"};
  EXPECT_TRUE(s.excludes("org.gnome.gedit"));
  EXPECT_TRUE(s.excludes("gimp"));
  EXPECT_TRUE(s.excludes("GIMP.desktop"));
  EXPECT_FALSE(s.excludes("gedit"));
  EXPECT_FALSE(s.excludes(""));
}

TEST(SettingsTest, WriteEditsInPlace) {
  Settings s;
  s.trigger = Trigger::alt;
  s.holdDelayMs = 300;
  s.neverShowOver = {"steam", "a\"b"};
  s.startAtLogin = true;
  const struct {
    const char* before;
    const char* after;
  } cases[] = {
      // Comments, blank lines, order and unknown keys kept; values replaced in place.
      {"# mine\nhold_delay_ms = 800  # slow\n\ncolour = 1\ntrigger = 'super'\n",
       "# mine\nhold_delay_ms = 300  # slow\n\ncolour = 1\ntrigger = \"alt\"\n"
       "never_show_over = [\"steam\", \"a\\\"b\"]\nstart_at_login = true\n"},
      // A value that already says the same is left as written; a list over several lines is
      // one value.
      {"trigger = \"alt\" # x\nnever_show_over = [\n  \"x\", # y\n]\nhold_delay_ms = 300",
       "trigger = \"alt\" # x\nnever_show_over = [\"steam\", \"a\\\"b\"]\nhold_delay_ms = 300\n"
       "start_at_login = true\n"},
      // A malformed value is replaced; missing keys go before the first table.
      {"hold_delay_ms = fast\n[x]\ntrigger = 1\n",
       "hold_delay_ms = 300\ntrigger = \"alt\"\nnever_show_over = [\"steam\", \"a\\\"b\"]\n"
       "start_at_login = true\n[x]\ntrigger = 1\n"},
      {"",
       "trigger = \"alt\"\nhold_delay_ms = 300\nnever_show_over = [\"steam\", \"a\\\"b\"]\n"
       "start_at_login = true\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    const std::string after = write(c.before, s);
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(parse(after, "s").settings.holdDelayMs, 300);
  }
  EXPECT_EQ(write("# only\n", Settings{}), "# only\n");
}

TEST(SettingsTest, FilePath) {
  EXPECT_EQ(filePath("/c", "/h"), "/c/tavrine/settings.toml");
  EXPECT_EQ(filePath("rel", "/h"), "/h/.config/tavrine/settings.toml");
  EXPECT_EQ(filePath(nullptr, nullptr), "");
}

}  // namespace
}  // namespace tavrine::settings
