#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/translation_helper.h"
#include "i18n/translation_tables.h"

namespace tavrine {
namespace {

constexpr std::string_view kEllipsis = "\u2026";

bool endsWithEllipsis(std::string_view s) {
  return s.ends_with(kEllipsis) || s.ends_with("...");
}

bool hasAsciiLetter(std::string_view s) {
  for (const char c : s) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  }
  return false;
}

// ---- Tables ----

TEST(TranslationTablesTest, HaveTheirSizesAndUniqueKeys) {
  EXPECT_EQ(menusTable().size(), 39u);
  EXPECT_EQ(commandsTable().size(), 235u);
  EXPECT_EQ(wordsTable().size(), 235u);
  for (const auto table : {menusTable(), commandsTable(), wordsTable()}) {
    std::set<std::string_view> keys;
    for (const auto& row : table) {
      EXPECT_TRUE(keys.insert(row.en).second) << "duplicate key " << row.en;
      EXPECT_FALSE(row.en.empty());
      EXPECT_FALSE(row.zh.empty()) << row.en;
    }
  }
}

TEST(TranslationTablesTest, CommandValueEndsInEllipsisExactlyWhenItsKeyDoes) {
  std::size_t withEllipsis = 0;
  for (const auto& row : commandsTable()) {
    EXPECT_EQ(endsWithEllipsis(row.en), row.zh.ends_with(kEllipsis)) << row.en << " / " << row.zh;
    if (endsWithEllipsis(row.en)) ++withEllipsis;
  }
  EXPECT_EQ(withEllipsis, 37u);
  for (const auto table : {menusTable(), commandsTable(), wordsTable()}) {
    for (const auto& row : table)
      EXPECT_EQ(row.zh.find("..."), std::string_view::npos) << row.zh;
  }
  for (const auto table : {menusTable(), wordsTable()}) {
    for (const auto& row : table) {
      EXPECT_FALSE(endsWithEllipsis(row.en) || row.zh.find(kEllipsis) != std::string_view::npos);
    }
  }
}

TEST(TranslationTablesTest, WordsAreSingleWordsWithoutPunctuation) {
  // Chinese punctuation and blanks that could slip into a value.
  const std::vector<std::string_view> forbidden = {"\u2026", "\u3000", "\uFF0C", "\u3002",
                                                   "\u3001", "\uFF1A", "\uFF1B", "\uFF08",
                                                   "\uFF09", "\u00B7"};
  for (const auto& row : wordsTable()) {
    for (const char c : row.en) {
      EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) << row.en;
    }
    for (const char c : row.zh)
      EXPECT_GE(static_cast<unsigned char>(c), 0x80u) << row.zh;
    for (const auto mark : forbidden)
      EXPECT_EQ(row.zh.find(mark), std::string_view::npos) << row.zh;
  }
}

TEST(TranslationTablesTest, LatinWordsStayOnlyInSixCommandValuesSetOffBySpaces) {
  const std::set<std::string_view> latin = {"Export As PDF...", "Open AI Chat…",
                                            "AI Chats",         "Explain Output with AI",
                                            "New Tmux Window",  "New Tmux Tab"};
  for (const auto& row : commandsTable()) {
    if (!latin.contains(row.en)) {
      EXPECT_FALSE(hasAsciiLetter(row.zh)) << row.zh;
      EXPECT_EQ(row.zh.find(' '), std::string_view::npos) << row.zh;
      continue;
    }
    // Each space-separated piece, less a closing ellipsis, is all Latin or has no Latin letter.
    std::size_t start = 0;
    while (start <= row.zh.size()) {
      const std::size_t end = std::min(row.zh.find(' ', start), row.zh.size());
      std::string_view piece = row.zh.substr(start, end - start);
      if (piece.ends_with(kEllipsis)) piece.remove_suffix(kEllipsis.size());
      std::size_t letters = 0;
      for (std::size_t i = 0; i < piece.size(); ++i)
        letters += hasAsciiLetter(piece.substr(i, 1));
      EXPECT_TRUE(letters == 0 || letters == piece.size()) << row.zh;
      start = end + 1;
    }
  }
  for (const auto table : {menusTable(), wordsTable()}) {
    for (const auto& row : table)
      EXPECT_FALSE(hasAsciiLetter(row.zh)) << row.zh;
  }
}

// ---- Reverse maps ----

TEST(TranslationReverseMapsTest, HaveOneEntryPerDistinctValuePlusTheMenuExtras) {
  TranslationHelper helper;
  EXPECT_EQ(helper.reverseMenus().size(), 41u);
  EXPECT_EQ(helper.reverseCommands().size(), 229u);
  EXPECT_EQ(helper.reverseWords().size(), 204u);
  EXPECT_EQ(helper.reverseMenus().at("收藏夹"), "Favorites");
  EXPECT_EQ(helper.reverseMenus().at("查看"), "View");
  EXPECT_EQ(helper.reverseMenus().at("播放控制"), "Playback");
}

TEST(TranslationReverseMapsTest, KeepTheLastRowOfASharedValue) {
  TranslationHelper helper;
  EXPECT_EQ(helper.reverseMenus().at("标签页"), "Tabs");
  EXPECT_EQ(helper.reverseCommands().at("设置…"), "Settings…");
  EXPECT_EQ(helper.reverseCommands().at("主页"), "Home Page");
  EXPECT_EQ(helper.reverseCommands().at("页面设置…"), "Page Setup…");
  EXPECT_EQ(helper.reverseWords().at("在"), "on");
  EXPECT_EQ(helper.reverseWords().at("面板"), "Panes");
  EXPECT_EQ(helper.reverseWords().at("隐藏"), "Bury");
  EXPECT_EQ(helper.translateMenu("标签页"), "Tabs");
}

TEST(TranslationReverseMapsTest, MapEveryValueBackToAKeyWithThatValue) {
  TranslationHelper helper;
  struct Case {
    std::span<const TranslationPair> table;
    const TranslationHelper::Map& reverse;
  };
  for (const Case& c :
       {Case{menusTable(), helper.reverseMenus()}, Case{commandsTable(), helper.reverseCommands()},
        Case{wordsTable(), helper.reverseWords()}}) {
    for (const auto& row : c.table) {
      const auto it = c.reverse.find(row.zh);
      ASSERT_NE(it, c.reverse.end()) << row.zh;
      bool sameValue = false;
      for (const auto& other : c.table)
        sameValue |= other.en == it->second && other.zh == row.zh;
      EXPECT_TRUE(sameValue) << row.zh << " -> " << it->second;
    }
  }
}

// ---- Translation ----

struct Example {
  bool zh;
  std::string_view input;
  std::string_view expected;
};

void expectCommands(const std::vector<Example>& examples) {
  TranslationHelper helper;
  for (const Example& e : examples) {
    helper.setIsZH(e.zh);
    EXPECT_EQ(helper.translateCommand(e.input), e.expected)
        << (e.zh ? "zh: " : "en: ") << "[" << e.input << "]";
  }
}

TEST(TranslationMenusTest, LookUpWholeNamesOnly) {
  TranslationHelper helper;
  EXPECT_FALSE(helper.isZH());
  EXPECT_EQ(helper.translateMenu("文件"), "File");
  EXPECT_EQ(helper.translateMenu("查看"), "View");
  EXPECT_EQ(helper.translateMenu("显示"), "View");
  EXPECT_EQ(helper.translateMenu("播放控制"), "Playback");
  EXPECT_EQ(helper.translateMenu("File"), "File");
  EXPECT_EQ(helper.translateMenu("文件…"), "文件…");
  helper.setIsZH(true);
  EXPECT_EQ(helper.translateMenu("Plug-Ins"), "插件");
  EXPECT_EQ(helper.translateMenu("Music"), "Music");
  EXPECT_EQ(helper.translateMenu("Source Control"), "源代码控制");
  EXPECT_EQ(helper.translateMenu("file"), "file");
  EXPECT_EQ(helper.translateMenu(" File"), " File");
  EXPECT_EQ(helper.translateMenu("文件"), "文件");
  EXPECT_EQ(helper.translateMenu(""), "");
}

TEST(TranslationCommandsTest, WorkedExamples) {
  expectCommands({
      {true, "Save As…", "存储为…"},
      {true, "Close Tab…", "关闭标签页"},
      {true, "Hide Bookmarks Bar", "隐藏书签栏"},
      {true, "Go to Line…", "前往到行…"},
      {true, "Close Other Tabs", "关闭Other标签页"},
      {true, "Save As", "保存As"},
      {true, "Use Large Type Here", "Use Large Type Here"},
      {false, "存储为…", "Save As..."},
      {false, "打开...", "Open"},
      {false, "显示", "Show"},
      {false, "保存 全部…", "Save All..."},
      {false, "Open File", "Open File"},
  });
}

TEST(TranslationCommandsTest, WholeTitlesWinAndEllipsesMatchInEitherForm) {
  expectCommands({
      {true, "Bigger", "增大字体"},
      {true, "Settings…", "设置…"},
      {true, "Settings...", "设置…"},
      {true, "Print… ", "打印"},
      {true, "Print ", "打印"},
      {true, "\tOpen…\u00A0", "打开"},
      {true, "Open\n", "Open\n"},  // line breaks are not trimmed; the word lookup misses too
      {true, "Print……", "打印"},
      {true, "Move to…", "移动到…"},
      {false, "设置…", "Settings…"},
      {false, "打开文件…", "Open File..."},
      {false, "打开文件", "打开文件"},  // Chinese titles are cut into words only at spaces
  });
}

TEST(TranslationCommandsTest, WordFallbackCountsPiecesAgainstTheThreshold) {
  expectCommands({
      {true, "Spotlight", "Spotlight"},
      {true, "Open  File", "打开文件"},
      {true, " Open", "打开"},
      {true, "Close Other Things", "关闭OtherThings"},             // n = 3, k = 1
      {true, "Close Other Big Things", "Close Other Big Things"},  // n = 4, k = 1
      {true, "Close Other Big Tab", "关闭OtherBig标签页"},         // n = 4, k = 2
      {true, "Close 标签页 Things Here", "关闭标签页ThingsHere"},  // a piece already in Chinese
      {true, "…", "…"},
      {true, "", ""},
      {false, "打开  文件", "Open  File"},
      {false, "Hide Toolbar", "Hide Toolbar"},
      {false, "", ""},
      {false, "保存 Foo Qux Baz", "保存 Foo Qux Baz"},  // n = 4, k = 1
      {false, "保存 Foo Bar Baz", "Save Foo Bar Baz"},  // "Bar" is an English word: k = 2
      {false, "保存 全部 Foo Bar", "Save All Foo Bar"},
  });
}

TEST(TranslationCommandsTest, TrailingEllipsisIsNotDoubledAfterAKeptPiece) {
  expectCommands({
      {false, "Save As…", "Save As…"},
      {false, "Save As...", "Save As..."},
      {true, "Export as PDF…", "导出为PDF…"},
      {true, "Export as PDF...", "导出为PDF..."},
      {true, "Close Other …", "关闭Other…"},
      {true, "Close Tab ...", "关闭标签页"},  // attempt 3 finds "Close Tab"
      {true, "Close Tabs …", "关闭标签页…"},  // a bare ellipsis piece: not repeated
      {true, "Go to Line...", "前往到行…"},
  });
}

TEST(TranslationCommandsTest, EveryTableRowTranslatesBothWays) {
  TranslationHelper helper;
  helper.setIsZH(true);
  std::set<std::string_view> commandKeys;
  for (const auto& row : commandsTable()) {
    commandKeys.insert(row.en);
    EXPECT_EQ(helper.translateCommand(row.en), row.zh);
  }
  for (const auto& row : menusTable()) {
    EXPECT_EQ(helper.translateMenu(row.en), row.zh);
  }
  for (const auto& row : wordsTable()) {
    if (!commandKeys.contains(row.en)) {
      EXPECT_EQ(helper.translateCommand(row.en), row.zh);
    }
  }
  helper.setIsZH(false);
  for (const auto& row : commandsTable()) {
    EXPECT_EQ(helper.translateCommand(row.zh), helper.reverseCommands().at(std::string(row.zh)));
  }
}

TEST(TranslationCommandsTest, CompareTextsUnderCanonicalEquivalence) {
  // U+FA08 is a compatibility ideograph that is canonically the same as 行 (U+884C).
  expectCommands({
      {false, "\uFA08", "Row"},
      {false, "保存 \uFA08…", "Save Row..."},
      {true, "Save \uFA08", "保存\uFA08"},  // a Chinese piece counts as translated
  });
}

TEST(TranslationCommandsTest, IllFormedBytesComeBackUnchanged) {
  const std::string bad = "\xFF\xC3(";
  expectCommands({
      {true, bad, bad},
      {false, bad, bad},
      {true, "Save " + bad, "保存" + bad},
      {false, bad + " 保存", bad + " Save"},
  });
}

// ---- Language flag and observers ----

TEST(TranslationFlagTest, ObserversRunBeforeEveryAssignmentAndSeeTheOldValue) {
  TranslationHelper helper;
  std::vector<bool> seen;
  helper.subscribe([&] { seen.push_back(helper.isZH()); });
  helper.setIsZH(true);
  EXPECT_TRUE(helper.isZH());
  helper.setIsZH(true);
  helper.setIsZH(false);
  EXPECT_FALSE(helper.isZH());
  EXPECT_EQ(seen, (std::vector<bool>{false, true, true}));
}

TEST(TranslationFlagTest, UnsubscribedObserversAreNotCalled) {
  TranslationHelper helper;
  int a = 0;
  int b = 0;
  const auto idA = helper.subscribe([&] { ++a; });
  helper.subscribe([&] { ++b; });
  helper.setIsZH(true);
  helper.unsubscribe(idA);
  helper.unsubscribe(idA);
  helper.unsubscribe(9999);
  helper.setIsZH(false);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
}

TEST(TranslationFlagTest, ObserversMayChangeTheSubscriptionsWhileNotified) {
  TranslationHelper helper;
  std::vector<std::string> calls;
  TranslationHelper::ObserverId self = 0;
  TranslationHelper::ObserverId victim = 0;
  self = helper.subscribe([&] {
    calls.push_back("self");
    helper.unsubscribe(self);
  });
  helper.subscribe([&] {
    calls.push_back("killer");
    helper.unsubscribe(victim);
    helper.subscribe([&] { calls.push_back("late"); });
  });
  victim = helper.subscribe([&] { calls.push_back("victim"); });
  helper.setIsZH(true);
  EXPECT_EQ(calls, (std::vector<std::string>{"self", "killer"}));
  calls.clear();
  helper.setIsZH(true);
  EXPECT_EQ(calls, (std::vector<std::string>{"killer", "late"}));
}

TEST(TranslationFlagTest, SharedInstanceIsOne) {
  EXPECT_EQ(&TranslationHelper::shared(), &TranslationHelper::shared());
}

}  // namespace
}  // namespace tavrine
