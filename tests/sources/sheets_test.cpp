// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "keys/accelerator_chord.h"
#include "sources/sheets/sheet.h"
#include "sources/sheets/sheet_library.h"
#include "sources/sheets/sheet_source.h"
#include "support.h"

namespace tavrine::sources::sheets {
namespace {

using testing::readFile;

const KeyCheck noFoo = [](std::string_view k) { return k.find("Foo") == std::string_view::npos; };

std::string errorOf(std::string_view text) {
  const auto parsed = parseSheet(text, "/sheets/app.toml", noFoo);
  const auto* error = std::get_if<SheetError>(&parsed);
  return error ? error->message : "parsed";
}

// fixtures/sheet-errors.txt: sheets, each with the first fault named or none; one too large, and
// one whose half a million dotted key parts overflowed the stack inside the TOML parser.
TEST(Sheet, NamesTheFileAndLineOfTheFirstFault) {
  std::vector<std::pair<std::string, std::string>> cases;  // message, sheet
  std::ifstream in(TAVRINE_FIXTURES "/sheet-errors.txt");
  for (std::string line; std::getline(in, line);)
    if (line.starts_with("==="))
      cases.emplace_back(line.substr(std::min<std::size_t>(4, line.size())), "");
    else if (!cases.empty())
      cases.back().second += line + "\n";
  EXPECT_EQ(cases.size(), 10u) << "cases read";
  cases.emplace_back("1: ", std::string(kMaxSheetBytes + 1, '#'));
  std::string deep = "heading = 'x'\n";
  for (int i = 0; i < 400'000; ++i)
    deep += "a.";
  cases.emplace_back("2: a key of more than 8 dotted parts", deep + "a = 1\n");
  testing::withinBounds(
      [&] {
        for (const auto& [message, text] : cases) {
          const std::string got = errorOf(text),
                            expected = message.empty() ? "parsed" : "/sheets/app.toml:" + message;
          EXPECT_EQ(message.ends_with(": ") ? got.substr(0, expected.size()) : got, expected)
              << got;
        }
      },
      10, 256);
}

// Every shipped sheet reads; sheets are where XDG says.
TEST(Sheet, EveryShippedSheetReadsAndTheFoldersAreWhereXdgSays) {
  std::size_t sheets = 0;
  for (const auto& file : std::filesystem::directory_iterator(TAVRINE_SHEETS)) {
    const auto parsed =
        parseSheet(readFile(file.path().string()), file.path().filename().string(),
                   [](std::string_view k) { return keys::chordOfAccelerator(k).has_value(); });
    ASSERT_TRUE(std::holds_alternative<Sheet>(parsed)) << std::get<SheetError>(parsed).message;
    EXPECT_FALSE(std::get<Sheet>(parsed).groups.empty()) << file.path();
    ++sheets;
  }
  EXPECT_GE(sheets, 3u);
  EXPECT_EQ(userSheetFolder("/cfg", "/home/u"), "/cfg/tavrine/sheets");
  EXPECT_EQ(userSheetFolder(nullptr, "/home/u"), "/home/u/.config/tavrine/sheets");
  EXPECT_EQ(shippedSheetFolders("/a:rel:/usr/share:/a", "/src/data/sheets"),
            (std::vector<std::filesystem::path>{"/a/tavrine/sheets", "/usr/share/tavrine/sheets",
                                                "/src/data/sheets"}));
  EXPECT_EQ(shippedSheetFolders(nullptr, {}).back(), "/usr/share/tavrine/sheets");
}

// A copy of fixtures/home: shipped and user sheets, and the users' own bindings for GTK and KDE.
class SheetLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ =
        std::filesystem::temp_directory_path() / ("tavrine-sheets-" + std::to_string(::getpid()));
    std::filesystem::copy(TAVRINE_FIXTURES "/home", root_,
                          std::filesystem::copy_options::recursive);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  void write(const std::string& file, std::string_view text) {
    std::ofstream(root_ / file) << text;
  }
  static std::vector<std::string> titles(const std::optional<Sheet>& sheet) {
    std::vector<std::string> out;
    if (sheet)
      for (const auto& g : sheet->groups)
        for (const auto& s : g.shortcuts)
          out.push_back(g.heading + "/" + s.title);
    return out;
  }
  std::filesystem::path root_;
};

TEST_F(SheetLibraryTest, MatchesByIdOrAliasWithTheUsersSheetAndReadsAgainWhatChanged) {
  SheetLibrary sheets({root_ / "shipped"}, root_ / "user");
  using Titles = std::vector<std::string>;
  const Titles all{"Tabs/New Tab", "Tabs/Reload", "Tabs/Pin", "Files/New Window", "Mine/Mark"};
  EXPECT_EQ(titles(sheets.find({"FIREFOX-ESR"})), all);
  EXPECT_EQ(titles(sheets.find({"", "navigator", "x"})), all);
  EXPECT_FALSE(sheets.find({"chromium", "Chromium"}));
  EXPECT_EQ(titles(sheets.find({"gedit"})), Titles{"G/Go"});
  // Written again with another length each time: the next look sees it.
  write("user/gedit.toml",
        "[[group]]\nheading = \"G\"\nshortcuts = [{ title = \"Go to line\", keys = \"Ctrl+L\" }]");
  EXPECT_EQ(titles(sheets.find({"gedit"})), Titles{"G/Go to line"});
  std::filesystem::remove(root_ / "user/gedit.toml");
  EXPECT_FALSE(sheets.find({"gedit"}));
  write("user/firefox-esr.toml",
        "replace = true\n[[group]]\nheading = \"Mine\"\nshortcuts = [{ title = \"M\", keys = "
        "\"Ctrl+M\" }]\n");
  EXPECT_EQ(titles(sheets.find({"firefox"})), Titles{"Mine/M"});
  // Broken when written again: the shipped sheet serves, not the user's last good one.
  write("user/firefox-esr.toml", "[[group]]\nheading = \"Tabs\"\nshortcuts = [{ title = \"P\" }]");
  EXPECT_EQ(titles(sheets.find({"firefox"})).size(), 3u);
}

// Thunar's accelerator map moved New Tab and took Close Tab's keys away; KWrite's ui file
// rebinds New, and kdeglobals Quit for every KDE application.
TEST_F(SheetLibraryTest, TheSourceGivesChordsWithBothLanguagesAndTheUsersBindingsWin) {
  std::vector<std::string> reported;
  const SheetSource source({root_ / "shipped"}, root_ / "user",
                           {root_ / "config", root_ / "home", root_ / "data"},
                           [&](const std::string& m) { reported.push_back(m); });
  const auto shown = [&](const char* executable) {
    FrontApplication app;
    app.executable = executable;
    return testing::shownRows(source, app);
  };
  const std::vector<std::string> thunar{"File/New Tab 文件/新标签 ⇧⌘T sheet",
                                        "File/Find 文件/ ⌘F sheet", "File/Find 文件/ F3 sheet"};
  EXPECT_EQ(shown("/usr/bin/thunar"), thunar);
  const std::vector<std::string> kwrite{"File/New / ⌥⌘N sheet", "File/Quit / ⇧⌘Q sheet",
                                        "File/Close / ⌘W sheet"};
  EXPECT_EQ(shown("/usr/bin/kwrite"), kwrite);
  // A broken sheet is reported once, by file and line, and kept; the shipped one still serves.
  write("user/thunar.toml",
        "[[group]]\nheading = \"X\"\nshortcuts = [{ title = \"Y\", keys = \"Ctrl+Nope\" }]\n");
  EXPECT_EQ(shown("/usr/bin/thunar"), thunar);
  EXPECT_EQ(shown("/usr/bin/thunar"), thunar);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_TRUE(reported[0].ends_with("thunar.toml:3: cannot read the keys \"Ctrl+Nope\""))
      << reported[0];
  EXPECT_EQ(source.errors(), reported);
}

}  // namespace
}  // namespace tavrine::sources::sheets
