// SPDX-License-Identifier: MIT
#include "programs/linux/list_command.h"

#include <gtest/gtest.h>

namespace tavrine::program {
namespace {

TEST(ListCommandTest, ArgumentsGiveOptionsOrAMessageNamingTheFault) {
  const ListOptions o = std::get<ListOptions>(parseListArguments({"--zh", "0042", "--json"}));
  EXPECT_TRUE(o.pid == 42 && o.json && o.zh && o.delaySeconds == 0);
  EXPECT_EQ(std::get<ListOptions>(parseListArguments({"--delay", "2.5"})).delaySeconds, 2.5);
  const std::pair<std::vector<std::string>, std::string> bad[] = {
      {{"--delay"}, "--delay takes seconds"}, {{"--delay", ""}, "--delay takes seconds"},
      {{"--delay", "6e2x"}, "6e2x"},          {{"7", "--delay", "1"}, "not both: --delay"},
      {{"99999999999"}, "not a process id"},  {{"--jsn"}, "unexpected argument: --jsn"}};
  for (const auto& [args, message] : bad) {
    const auto parsed = parseListArguments(args);
    const auto* text = std::get_if<std::string>(&parsed);
    EXPECT_TRUE(text && text->find(message) != std::string::npos) << message;
  }
  // Refused before the desktop is asked anything (Linux's process ids stay below 2^22).
  EXPECT_EQ(runListCommand({"--bogus"}), 2);
  EXPECT_EQ(runListCommand({"4194304"}), 2);
}

// A row's shortcuts on one line; JSON and terminal text escaped, never broken or obeyed.
TEST(ListCommandTest, OutputIsOneLineARowAndEscaped) {
  EXPECT_EQ(
      listedKeys({KeyChord::make(KeyChord::kPrimary, "G"), KeyChord::make(0, *functionKey(3))}),
      "Ctrl+G / F3");
  EXPECT_EQ(jsonString(std::string("\"C:\\d\"\n\t\r\x1f\0 打开 🙂", 23)),
            R"("\"C:\\d\"\n\t\u000d\u001f\u0000 打开 🙂")");
  // Ill-formed bytes (a program's path can hold any) become U+FFFD, never broken JSON.
  EXPECT_EQ(jsonString("a\xff"
                       "b\xe6\x89"
                       "c"),
            "\"a\uFFFDb\uFFFDc\"");
  // A title that would clear the screen, set the window's title or start a C1 sequence.
  EXPECT_EQ(terminalText("a\x1b[2J\x1b]0;x\x07\n\t\x7f\xc2\x9b"
                         "1m \"q\" \\ 打开\xff"),
            "a\\u001b[2J\\u001b]0;x\\u0007\\n\\t\\u007f\\u009b1m \"q\" \\ 打开\uFFFD");
}

// A row a desktop binding takes says so, in text and JSON, in the language asked for.
TEST(ListCommandTest, ARowTheDesktopTakesSaysWhatTakesIt) {
  const ShortcutItem hide("Edit", "Hide", KeyChord::make(KeyChord::kPrimary, "H"));
  MergedShortcuts merged;
  merged.application = {hide,
                        ShortcutItem("Edit", "Jump", KeyChord::make(KeyChord::kPrimary, "J"))};
  merged.system = {ShortcutItem("W", "Hide Window", hide.chord(), {"desktop", "", "隐藏窗口"})};
  TranslationHelper t;
  const std::vector<ListedRow> rows = listedApplicationRows(merged, t);
  EXPECT_EQ(listedRowText(rows.at(0)),
            "  Hide\tCtrl+H\tmenu bar\ttaken by the desktop: Hide Window\n");
  EXPECT_TRUE(listedRowJson(rows[0]).ends_with(
      R"("source": "menu bar", "takenBy": "taken by the desktop: Hide Window"})"));
  EXPECT_EQ(listedRowText(rows.at(1)), "  Jump\tCtrl+J\tmenu bar\n");
  EXPECT_TRUE(listedRowJson(rows[1]).ends_with(R"("source": "menu bar"})"));
  t.setIsZH(true);
  EXPECT_EQ(listedApplicationRows(merged, t)[0].takenBy, "已被桌面占用：隐藏窗口");
}

}  // namespace
}  // namespace tavrine::program
