// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/translation_helper.h"
#include "i18n/translation_tables.h"

namespace tavrine {
namespace {

TEST(TranslationTablesTest, HoldTheirRowsOnceEachInTheShapeTheLookupsNeed) {
  for (const auto table : {menusTable(), commandsTable(), wordsTable()}) {
    std::set<std::string_view> keys;
    for (const auto& row : table) {
      EXPECT_TRUE(keys.insert(row.en).second) << "duplicate key " << row.en;
      EXPECT_FALSE(row.zh.empty()) << row.en;
      EXPECT_EQ(row.zh.find("..."), std::string_view::npos) << row.zh;  // Chinese uses "…"
    }
  }
  // A command keeps its ellipsis in Chinese; words are single Latin words, cut at spaces.
  for (const auto& row : commandsTable())
    EXPECT_EQ(row.en.ends_with("…") || row.en.ends_with("..."), row.zh.ends_with("…")) << row.en;
  for (const auto& row : wordsTable()) {
    EXPECT_EQ(row.en.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
              std::string_view::npos)
        << row.en;
    EXPECT_TRUE(row.zh.find(' ') == row.zh.npos && row.zh.find("…") == row.zh.npos) << row.zh;
  }
}

struct Example {
  bool zh;
  std::string input;
  std::string expected;
};

TEST(TranslationHelperTest, MenuNamesAreLookedUpWholeOrLeftAlone) {
  TranslationHelper helper;
  EXPECT_FALSE(helper.isZH());  // English at every start
  for (const Example& e : std::vector<Example>{
           // English back from Chinese: where rows share a value, the last row's key wins.
           {false, "文件", "File"},
           {false, "收藏夹", "Favorites"},
           {false, "查看", "View"},
           {false, "显示", "View"},
           {false, "播放控制", "Playback"},
           {false, "标签页", "Tabs"},
           {false, "File", "File"},
           {false, "文件…", "文件…"},
           {true, "Plug-Ins", "插件"},
           {true, "Music", "Music"},
           {true, "Source Control", "源代码控制"},
           {true, "file", "file"},
           {true, " File", " File"},
           {true, "文件", "文件"},
           {true, "", ""},
       }) {
    helper.setIsZH(e.zh);
    EXPECT_EQ(helper.translateMenu(e.input), e.expected) << e.zh << " [" << e.input << "]";
  }
}

TEST(TranslationHelperTest, CommandTitlesTryWholeTitlesThenWords) {
  const std::string bad = "\xFF\xC3(";
  TranslationHelper helper;
  for (const Example& e : std::vector<Example>{
           // Whole titles, as they are, with "…" as "...", then bare and trimmed.
           {true, "Save As…", "存储为…"},
           {true, "Close Tab…", "关闭标签页"},
           {true, "Bigger", "增大字体"},  // the whole title wins over the word
           {true, "Settings...", "设置…"},
           {true, "Print… ", "打印"},
           {true, "\tOpen…\u00A0", "打开"},
           {true, "Open\n", "Open\n"},  // line breaks are not trimmed
           {false, "存储为…", "Save As..."},
           {false, "打开...", "Open"},
           {false, "设置…", "Settings…"},
           {false, "主页", "Home Page"},
           {false, "页面设置…", "Page Setup…"},
           {false, "隐藏 在 面板", "Bury on Panes"},
           {false, "打开文件…", "Open File..."},
           {false, "打开文件", "打开文件"},  // Chinese is cut into words only at spaces
           // Words: at least one piece, and half of them rounded down, in the target language.
           {true, "Hide Bookmarks Bar", "隐藏书签栏"},
           {true, "Go to Line…", "前往到行…"},
           {true, "Move to…", "移动到…"},  // "Move To..." is the key: case counts
           {true, "Close Other Tabs", "关闭Other标签页"},
           {true, "Save As", "保存As"},
           {true, "Use Large Type Here", "Use Large Type Here"},
           {true, "Close Other Big Tab", "关闭Other Big标签页"},  // Latin words stay apart
           {true, "Close 标签页 Things Here", "关闭标签页Things Here"},
           {true, "Close Über 2 Tab", "关闭Über 2标签页"},
           {true, "Spotlight", "Spotlight"},
           {true, "Open  File", "打开文件"},
           {true, "…", "…"},
           {true, "", ""},
           {false, "保存 全部 … … … …", "Save All … … … …"},  // bare ellipses are neutral
           {false, "显示", "Show"},
           {false, "保存 全部…", "Save All..."},
           {false, "Open File", "Open File"},
           {false, "打开  文件", "Open  File"},
           {false, "保存 Foo Qux Baz", "保存 Foo Qux Baz"},
           {false, "保存 Foo Bar Baz", "Save Foo Bar Baz"},  // "Bar" is already English
           // A trailing ellipsis is carried over, never doubled after a piece that kept its own.
           {false, "Save As…", "Save As…"},
           {true, "Export as PDF…", "导出为PDF…"},
           {true, "Export as PDF...", "导出为PDF..."},
           {true, "Close Other …", "关闭Other…"},
           {true, "Go to Line...", "前往到行…"},
           // Canonical equivalence: U+FA08 is canonically 行.
           {false, "\uFA08", "Row"},
           {false, "保存 \uFA08…", "Save Row..."},
           {true, "Save \uFA08", "保存\uFA08"},
           // Ill-formed bytes come back as they were.
           {true, bad, bad},
           {false, bad + " 保存", bad + " Save"},
       }) {
    helper.setIsZH(e.zh);
    EXPECT_EQ(helper.translateCommand(e.input), e.expected) << e.zh << " [" << e.input << "]";
  }
}

TEST(TranslationHelperTest, ObserversMayChangeTheSubscriptionsWhileNotified) {
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

}  // namespace
}  // namespace tavrine
