// SPDX-License-Identifier: MIT
#include "search/shortcut_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "support/golden_cases.h"

namespace tavrine::search {
namespace {

// A small Writer-like sheet: titles shown in English with their Chinese translation, headings in
// both languages, caps as Linux shows them.
const std::vector<Entry>& sheet() {
  static const std::vector<Entry> entries = {
      {"New", {"新建"}, {"File", "文件"}, {{"Ctrl", "N"}}},
      {"Page Break", {"分页符"}, {"Insert", "插入"}, {{"Ctrl", "Enter"}}},
      {"Reopen Closed Tab", {"重新打开已关闭的标签页"}, {"File", "文件"}, {{"Ctrl", "Shift", "T"}}},
      {"Full Screen", {"全屏"}, {"View", "视图"}, {{"F11"}}},
      {"Café Préférences", {}, {"Tools", "工具"}, {{"Ctrl", "Alt", "P"}}},
      {"Breakpoints", {"断点"}, {"Debug", "调试"}, {{"Shift", "F11"}}},
      {"Zoom In", {"放大"}, {"View", "视图"}, {{"Ctrl", "+"}}},
      {"Insert Break", {"插入分隔符"}, {"Insert", "插入"}, {{"Ctrl", "Shift", "Enter"}}},
      {"Straße", {}, {"Tools", "工具"}, {{}}},
      {"Find Next", {"查找下一个"}, {"Edit", "编辑"}, {{"Ctrl", "G"}, {"F3"}}},  // two shortcuts
  };
  return entries;
}

std::vector<std::string> titles(std::string_view query) {
  std::vector<std::string> out;
  for (const Match& m : filter(sheet(), query))
    out.push_back(sheet()[m.entry].title);
  return out;
}

// tests/golden/filter.txt: which rows a query keeps, best first. A blank query keeps them all.
TEST(ShortcutFilterTest, KeepsAndRanksRows) {
  std::vector<std::string> all;
  for (const Entry& e : sheet())
    all.push_back(e.title);
  EXPECT_EQ(titles(""), all);
  EXPECT_EQ(titles(" \t "), all);
  const std::vector<std::string> cases = doubles::goldenCases("filter.txt");
  for (const std::string& line : cases) {
    const std::size_t end = line.find("] ->");
    ASSERT_TRUE(line[0] == '[' && end != line.npos) << line;
    std::vector<std::string> expected;
    for (std::size_t at = end + 5; at < line.size();) {
      const std::size_t bar = std::min(line.find(" | ", at), line.size());
      expected.push_back(line.substr(at, bar - at));
      at = bar + 3;
    }
    EXPECT_EQ(titles(line.substr(1, end - 1)), expected) << line;
  }
  EXPECT_EQ(cases.size(), 27u) << "cases read";
}

// Highlights are byte ranges of the shown title, whole characters even where folding changed
// their length, merged when they touch.
TEST(ShortcutFilterTest, HighlightsWhatMatchedInTheShownTitle) {
  auto highlights = [](std::string_view query, std::size_t entry) {
    for (const Match& m : filter(sheet(), query))
      if (m.entry == entry) return m.highlights;
    return std::vector<Range>{{999, 999}};
  };
  const std::vector<std::tuple<std::string, std::size_t, std::vector<Range>>> cases = {
      {"break", 1, {{5, 10}}},
      {"break", 5, {{0, 5}}},
      {"cafe", 4, {{0, 5}}},  // "é" is two bytes
      {"pref", 4, {{6, 11}}},
      {"stras", 8, {{0, 6}}},  // "s" of "ß" takes the whole "ß"
      {"reopen tab", 2, {{0, 6}, {14, 17}}},
      {"分页", 1, {}},  // matched in the other language: nothing shown to mark
      {"ctrl enter", 1, {}},
      {"page break", 1, {{0, 10}}},
      {" ", 1, {}},
  };
  for (const auto& [query, entry, ranges] : cases)
    EXPECT_EQ(highlights(query, entry), ranges) << query << " in " << sheet()[entry].title;
}

TEST(ShortcutFilterTest, TellsWhenTheKeysMatched) {
  const std::vector<Match> byKeys = filter(sheet(), "f11");
  ASSERT_EQ(byKeys.size(), 2u);
  EXPECT_TRUE(byKeys[0].keysMatched && !filter(sheet(), "zoom").at(0).keysMatched);
  EXPECT_EQ(std::pair(byKeys[0].rank, byKeys[1].rank), std::pair(Rank::exactKeys, Rank::someKeys));
}

TEST(ShortcutFilterTest, FoldsWithOffsetsIntoTheSource) {
  const FoldedText t = fold("Éa\xFF");
  EXPECT_EQ(t.folded, "ea\xEF\xBF\xBD");  // an ill-formed byte reads as U+FFFD
  EXPECT_EQ(t.sourceOffsets, (std::vector<std::size_t>{0, 2, 3, 3, 3, 4}));
  EXPECT_EQ(fold("e\u0301").folded, "e");
  EXPECT_EQ(fold("A\u00A0B").folded, "a b");
}

}  // namespace
}  // namespace tavrine::search
