// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/translation_helper.h"
#include "i18n/translation_tables.h"
#include "support/golden_cases.h"

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

// tests/golden/translations.txt: menu names are looked up whole or left alone; command titles
// whole, then bare and trimmed, then word by word.
TEST(TranslationHelperTest, TitlesReadAsTheExamplesSay) {
  TranslationHelper helper;
  EXPECT_FALSE(helper.isZH());  // English at every start
  const std::vector<std::string> cases = doubles::goldenCases("translations.txt");
  for (const std::string& line : cases) {
    const std::size_t open = line.find('['), arrow = line.find("] -> [");
    ASSERT_TRUE(open != line.npos && arrow != line.npos && line.back() == ']') << line;
    const std::string input = doubles::unescaped(line.substr(open + 1, arrow - open - 1));
    const std::string shown = doubles::unescaped(line.substr(arrow + 6, line.size() - arrow - 7));
    helper.setIsZH(line.starts_with("zh"));
    EXPECT_EQ(
        line.find(" menu ") == 2 ? helper.translateMenu(input) : helper.translateCommand(input),
        shown)
        << line;
  }
  EXPECT_EQ(cases.size(), 60u) << "examples read";
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
