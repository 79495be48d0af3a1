// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "keys/accelerator_chord.h"
#include "sources/sheets/sheet.h"
#include "sources/sheets/sheet_library.h"
#include "sources/sheets/sheet_source.h"
#include "within_bounds.h"

namespace tavrine::sources::sheets {
namespace {

constexpr std::string_view kFirefox = R"(# Firefox
aliases = ["firefox", "Navigator"]

[[group]]
heading = "Tabs"
heading_zh = "标签页"
shortcuts = [
  { title = "New Tab", title_zh = "新建标签页", keys = "Ctrl+T" },
  { title = "Reload", keys = ["F5", "Ctrl+R"] },
]

[[group]]
heading = "Files"
shortcuts = [{ title = "New Window", keys = "<Primary>n", action = "<Actions>/W/new-window" }]
)";

std::string errorOf(std::string_view text) {
  const auto parsed = parseSheet(text, "/sheets/app.toml");
  const auto* error = std::get_if<SheetError>(&parsed);
  return error ? error->message : "parsed";
}

TEST(Sheet, ReadsGroupsInOrderWithBothLanguages) {
  const auto parsed = parseSheet(kFirefox, "/usr/share/tavrine/sheets/firefox-esr.toml");
  ASSERT_TRUE(std::holds_alternative<Sheet>(parsed)) << std::get<SheetError>(parsed).message;
  const Sheet& sheet = std::get<Sheet>(parsed);
  EXPECT_EQ(sheet.id, "firefox-esr");
  EXPECT_EQ(sheet.aliases, (std::vector<std::string>{"firefox", "Navigator"}));
  EXPECT_FALSE(sheet.replace);
  ASSERT_EQ(sheet.groups.size(), 2u);
  EXPECT_EQ(sheet.groups[0].heading, "Tabs");
  EXPECT_EQ(sheet.groups[0].headingZh, "标签页");
  const std::vector<SheetShortcut> tabs{{"New Tab", "新建标签页", {"Ctrl+T"}, "", 8},
                                        {"Reload", "", {"F5", "Ctrl+R"}, "", 9}};
  EXPECT_EQ(sheet.groups[0].shortcuts, tabs);
  EXPECT_EQ(sheet.groups[1].shortcuts[0].action, "<Actions>/W/new-window");
}

TEST(Sheet, NamesTheFileAndLineOfTheFirstFault) {
  EXPECT_EQ(errorOf("aliases = [\"a\"]\n[[group]]\nheading = \"H\"\nshortcuts = [\n"
                    "  { titel = \"Back\", keys = \"Alt+Left\" },\n]\n"),
            "/sheets/app.toml:5: unknown key 'titel'");
  EXPECT_EQ(errorOf("[[group]]\nheading = \"H\"\nshortcuts = [{ title = \"Back\" }]\n"),
            "/sheets/app.toml:3: missing 'keys'");
  EXPECT_EQ(errorOf("[[group]]\nheading = \"H\"\n\nshortcuts = [{ title = \"B\", keys = 5 }]\n"),
            "/sheets/app.toml:4: 'keys' must be a string or a list of strings");
  EXPECT_EQ(errorOf("[[group]]\nshortcuts = []\n"), "/sheets/app.toml:1: missing 'heading'");
  EXPECT_EQ(errorOf("replace = \"yes\"\n"), "/sheets/app.toml:1: 'replace' must be true or false");
  EXPECT_EQ(errorOf("group = 3\n"), "/sheets/app.toml:1: 'group' must be written [[group]]");
  const KeyCheck noFoo = [](std::string_view k) { return k.find("Foo") == std::string_view::npos; };
  const auto badKey = parseSheet(
      "[[group]]\nheading = \"H\"\nshortcuts = [\n{ title = \"B\", keys = [\"F1\", \"Ctrl+Foo\"] "
      "},\n]",
      "a.toml", noFoo);
  ASSERT_TRUE(std::holds_alternative<SheetError>(badKey));
  EXPECT_EQ(std::get<SheetError>(badKey).message, "a.toml:4: cannot read the keys \"Ctrl+Foo\"");
  // Bad TOML: the parser's own words, with the line.
  EXPECT_TRUE(errorOf("aliases = [\"a\"]\n\nheading = \n").starts_with("/sheets/app.toml:3: "));
  EXPECT_TRUE(errorOf(std::string(kMaxSheetBytes + 1, '#')).starts_with("/sheets/app.toml:1: "));
}

TEST(Sheet, KeysOfManyDottedPartsAreRefusedBeforeTheyNestAsDeepAsTheyClaim) {
  // Half a million parts in under 1 MiB overflowed the stack inside the TOML parser.
  std::string deep = "heading = 'x'\n";
  for (int i = 0; i < 400'000; ++i)
    deep += "a.";
  deep += "a = 1\n";
  testing::withinBounds(
      [&] {
        EXPECT_EQ(errorOf(deep), "/sheets/app.toml:2: a key of more than 8 dotted parts");
        EXPECT_EQ(errorOf("[\"a\" . 'b'.c.d.e.f.g.h.i]\n"),
                  "/sheets/app.toml:1: a key of more than 8 dotted parts");
      },
      10, 256);
  // Dots in strings and comments are no key's: a sheet holding them reads as before.
  const auto dotted = parseSheet(R"(# a.b.c.d.e.f.g.h.i.j
[[group]]
heading = "a.b.c.d.e.f.g.h.i.j\""
shortcuts = [{ title = '''x "" a.b.c.d.e.f.g.h.i.j''', keys = "Ctrl+." }]
)",
                                 "app.toml");
  ASSERT_TRUE(std::holds_alternative<Sheet>(dotted)) << std::get<SheetError>(dotted).message;
  EXPECT_EQ(std::get<Sheet>(dotted).groups.at(0).heading, "a.b.c.d.e.f.g.h.i.j\"");
}

TEST(Sheet, EveryShippedSheetReads) {
  std::size_t sheets = 0;
  for (const auto& file : std::filesystem::directory_iterator(TAVRINE_SHEETS)) {
    std::ifstream in(file.path());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto parsed = parseSheet(text, file.path().filename().string(), [](std::string_view k) {
      return keys::chordOfAccelerator(k).has_value();
    });
    ASSERT_TRUE(std::holds_alternative<Sheet>(parsed)) << std::get<SheetError>(parsed).message;
    EXPECT_FALSE(std::get<Sheet>(parsed).groups.empty()) << file.path();
    ++sheets;
  }
  EXPECT_GE(sheets, 3u);
}

class SheetLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ =
        std::filesystem::temp_directory_path() / ("tavrine-sheets-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_ / "shipped");
    std::filesystem::create_directories(root_ / "user");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  void write(const std::string& file, std::string_view text) {
    std::ofstream(root_ / file) << text;
  }
  SheetLibrary library() { return SheetLibrary({root_ / "shipped"}, root_ / "user"); }
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

TEST_F(SheetLibraryTest, MatchesByIdOrAliasAndAddsTheUsersSheet) {
  write("shipped/firefox-esr.toml", kFirefox);
  write("user/firefox-esr.toml",
        "[[group]]\nheading = \"Tabs\"\nshortcuts = [{ title = \"Pin\", keys = \"Ctrl+P\" }]\n"
        "[[group]]\nheading = \"Mine\"\nshortcuts = [{ title = \"Mark\", keys = \"Ctrl+M\" }]\n");
  auto sheets = library();
  const std::vector<std::string> all{"Tabs/New Tab", "Tabs/Reload", "Tabs/Pin", "Files/New Window",
                                     "Mine/Mark"};
  EXPECT_EQ(titles(sheets.find({"FIREFOX-ESR"})), all);
  EXPECT_EQ(titles(sheets.find({"", "navigator", "x"})), all);
  EXPECT_FALSE(sheets.find({"chromium", "Chromium"}));
  EXPECT_TRUE(sheets.errors().empty());
}

TEST_F(SheetLibraryTest, AUserSheetReplacesOrStandsAloneAndIsReadAgainWhenChanged) {
  write("shipped/firefox-esr.toml", kFirefox);
  write("user/firefox-esr.toml",
        "replace = true\n[[group]]\nheading = \"Mine\"\nshortcuts = [{ title = \"Mark\", keys = "
        "\"Ctrl+M\" }]\n");
  write("user/gedit.toml",
        "[[group]]\nheading = \"G\"\nshortcuts = [{ title = \"Go\", keys = \"Ctrl+G\" }]\n");
  auto sheets = library();
  EXPECT_EQ(titles(sheets.find({"firefox"})), std::vector<std::string>{"Mine/Mark"});
  EXPECT_EQ(titles(sheets.find({"gedit"})), std::vector<std::string>{"G/Go"});
  // Written again with another length: the next look sees it.
  write(
      "user/gedit.toml",
      "[[group]]\nheading = \"G\"\nshortcuts = [{ title = \"Go to line\", keys = \"Ctrl+L\" }]\n");
  EXPECT_EQ(titles(sheets.find({"gedit"})), std::vector<std::string>{"G/Go to line"});
  std::filesystem::remove(root_ / "user/gedit.toml");
  EXPECT_FALSE(sheets.find({"gedit"}));
}

TEST_F(SheetLibraryTest, ABrokenSheetIsReportedOnceAndTheOthersKeepWorking) {
  write("shipped/firefox-esr.toml", kFirefox);
  write("user/firefox-esr.toml",
        "[[group]]\nheading = \"Tabs\"\nshortcuts = [{ title = \"Pin\" }]\n");
  write("user/notes.txt", "not a sheet");
  auto sheets = library();
  EXPECT_EQ(titles(sheets.find({"firefox"})).size(), 3u);
  const std::string message = (root_ / "user/firefox-esr.toml").string() + ":3: missing 'keys'";
  EXPECT_EQ(sheets.newErrors(), std::vector<std::string>{message});
  EXPECT_TRUE(sheets.newErrors().empty());
  EXPECT_EQ(sheets.errors(), std::vector<std::string>{message});
  EXPECT_EQ(userSheetFolder("/cfg", "/home/u"), "/cfg/tavrine/sheets");
  const std::vector<std::filesystem::path> shipped{"/a/tavrine/sheets", "/usr/share/tavrine/sheets",
                                                   "/src/data/sheets"};
  EXPECT_EQ(shippedSheetFolders("/a:rel:/usr/share:/a", "/src/data/sheets"), shipped);
  EXPECT_EQ(shippedSheetFolders(nullptr, {}).back(), "/usr/share/tavrine/sheets");
  EXPECT_EQ(userSheetFolder(nullptr, "/home/u"), "/home/u/.config/tavrine/sheets");
}

TEST_F(SheetLibraryTest, TheSourceGivesChordsWithBothLanguagesAndTheAcceleratorMapWins) {
  write("shipped/thunar.toml",
        "aliases = [\"Thunar\"]\n[[group]]\nheading = \"File\"\nheading_zh = \"文件\"\nshortcuts = "
        "[\n"
        "  { title = \"New Tab\", title_zh = \"新标签\", keys = \"Ctrl+T\", action = "
        "\"<Actions>/W/new-tab\" },\n"
        "  { title = \"Close Tab\", keys = \"Ctrl+W\", action = \"<Actions>/W/close-tab\" },\n"
        "  { title = \"Find\", keys = [\"Ctrl+F\", \"F3\"] },\n]\n");
  std::filesystem::create_directories(root_ / "config/Thunar");
  // The user moved New Tab to Ctrl+Shift+T and took Close Tab's keys away.
  write("config/Thunar/accels.scm",
        "(gtk_accel_path \"<Actions>/W/new-tab\" \"<Primary><Shift>t\")\n"
        "(gtk_accel_path \"<Actions>/W/close-tab\" \"\")\n");
  std::vector<std::string> reported;
  const SheetSource source({root_ / "shipped"}, root_ / "user",
                           {root_ / "config", root_ / "home", root_ / "data"},
                           [&](const std::string& m) { reported.push_back(m); });
  FrontApplication app;
  app.pid = 1;
  app.executable = "/usr/bin/thunar";
  const auto rows = source.shortcuts(app);
  ASSERT_EQ(rows.size(), 3u);
  constexpr unsigned S = KeyChord::kShift, P = KeyChord::kPrimary;
  EXPECT_EQ(rows[0].chord(), KeyChord::make(P | S, "T"));
  EXPECT_EQ(std::tie(rows[0].menuPath(), rows[0].menuPathZH(), rows[0].title(), rows[0].titleZH(),
                     rows[0].source()),
            std::tie("File", "文件", "New Tab", "新标签", SheetSource::kName));
  EXPECT_EQ(rows[1].title(), "Find");
  EXPECT_EQ(rows[2].chord(),
            KeyChord::make(0, static_cast<NamedKey>(static_cast<int>(NamedKey::f1) + 2)));
  // A broken sheet is reported once, by file and line.
  write("user/thunar.toml",
        "[[group]]\nheading = \"X\"\nshortcuts = [{ title = \"Y\", keys = \"Ctrl+Nope\" }]\n");
  EXPECT_EQ(source.shortcuts(app).size(), 3u);
  EXPECT_EQ(source.shortcuts(app).size(), 3u);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_TRUE(reported[0].ends_with("thunar.toml:3: cannot read the keys \"Ctrl+Nope\""))
      << reported[0];
}

TEST_F(SheetLibraryTest, AKdeUsersOwnBindingsReplaceTheSheetsDefaults) {
  write("shipped/kwrite.toml",
        "[[group]]\nheading = \"File\"\nshortcuts = [\n"
        "  { title = \"New\", keys = \"Ctrl+N\", action = \"file_new\" },\n"
        "  { title = \"Quit\", keys = \"Ctrl+Q\", action = \"file_quit\" },\n"
        "  { title = \"Close\", keys = \"Ctrl+W\", action = \"file_close\" },\n]\n");
  std::filesystem::create_directories(root_ / "data/kxmlgui5/kwrite");
  std::filesystem::create_directories(root_ / "config");
  // New rebound in KWrite (which wins over kdeglobals), Quit for every KDE application, Close
  // left alone; only ui files count.
  write("data/kxmlgui5/kwrite/kwriteui.rc",
        "<gui><ActionProperties><Action name=\"file_new\" shortcut=\"Ctrl+Alt+N\"/>"
        "</ActionProperties></gui>");
  write("data/kxmlgui5/kwrite/notes.txt",
        "<ActionProperties><Action name=\"file_close\" shortcut=\"F4\"/></ActionProperties>");
  write("config/kdeglobals", "[Shortcuts]\nQuit=Ctrl+Shift+Q\nNew=Ctrl+Shift+N\n");
  const SheetSource source({root_ / "shipped"}, root_ / "user",
                           {root_ / "config", root_ / "home", root_ / "data"}, {});
  FrontApplication app;
  app.executable = "/usr/bin/kwrite";
  const auto rows = source.shortcuts(app);
  ASSERT_EQ(rows.size(), 3u);
  constexpr unsigned A = KeyChord::kAlt, S = KeyChord::kShift, P = KeyChord::kPrimary;
  EXPECT_EQ(rows[0].chord(), KeyChord::make(P | A, "N"));
  EXPECT_EQ(rows[1].chord(), KeyChord::make(P | S, "Q"));
  EXPECT_EQ(rows[2].chord(), KeyChord::make(P, "W"));
}

}  // namespace
}  // namespace tavrine::sources::sheets
