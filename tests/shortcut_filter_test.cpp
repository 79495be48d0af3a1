// SPDX-License-Identifier: MIT
#include "search/shortcut_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

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

// Which rows a query keeps, best first: whole titles, then named keys, then title beginnings,
// word beginnings, anywhere in a title, keys among others, and words spread over titles, headings
// and keys; ties keep the sheet's order.
TEST(ShortcutFilterTest, KeepsAndRanksRows) {
  using Titles = std::vector<std::string>;
  Titles all;
  for (const Entry& e : sheet())
    all.push_back(e.title);
  const std::vector<std::tuple<std::string, Titles>> cases = {
      {"", all},  // a blank query keeps every row in order
      {" \t ", all},
      {"break", {"Breakpoints", "Page Break", "Insert Break"}},
      {"  page   break ", {"Page Break"}},
      {"new", {"New"}},
      {"re",
       {"Reopen Closed Tab", "Page Break", "Full Screen", "Café Préférences", "Breakpoints",
        "Insert Break"}},
      {"cafe preferences", {"Café Préférences"}},  // diacritics ignored
      {"CAFÉ", {"Café Préférences"}},
      {"strasse", {"Straße"}},   // full case folding
      {"ｎｅｗ", {"New"}},       // full-width letters
      {"分页", {"Page Break"}},  // the other language's title
      {"全屏", {"Full Screen"}},
      {"视图", {"Full Screen", "Zoom In"}},  // the heading in either language
      {"view zoom", {"Zoom In"}},
      {"zoom i", {"Zoom In"}},  // a lone letter counts at word starts
      {"break t", {}},
      {"ctrl shift t", {"Reopen Closed Tab"}},  // keys, in any order and spelling
      {"Control+Shift+T", {"Reopen Closed Tab"}},
      {"shift ctrl t", {"Reopen Closed Tab"}},
      {"F11", {"Full Screen", "Breakpoints"}},  // exact keys before keys among others
      {"ctrl enter", {"Page Break", "Insert Break"}},
      {"ctrl++", {"Zoom In"}},
      {"ctrl shift", {"Reopen Closed Tab", "Insert Break"}},
      {"break enter", {"Page Break", "Insert Break"}},  // words and key names mix
      {"xyz", {}},
      {"ctrl q", {}},
      {"f3", {"Find Next"}},  // any of a row's shortcuts, each alone
      {"ctrl g", {"Find Next"}},
      {"ctrl f3", {}},
  };
  for (const auto& [query, expected] : cases)
    EXPECT_EQ(titles(query), expected) << query;
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
