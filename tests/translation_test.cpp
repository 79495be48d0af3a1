// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/translation_helper.h"
#include "i18n/translation_tables.h"
#include "text/unicode.h"

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

// \t, \n, \xHH (one byte) and \uXXXX in a line of the examples, as what they stand for.
std::string unescaped(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char kind = s[++i];
    const int digits = kind == 'x' ? 2 : kind == 'u' ? 4 : 0;
    const auto code = digits ? std::stoul(std::string(s.substr(i + 1, digits)), nullptr, 16) : 0;
    out += kind == 't'   ? "\t"
           : kind == 'n' ? "\n"
           : kind == 'x' ? std::string(1, static_cast<char>(code))
                         : text::toUtf8(static_cast<char32_t>(code));
    i += static_cast<std::size_t>(digits);
  }
  return out;
}

// tests/golden/translations.txt: menu names are looked up whole or left alone; command titles
// whole, then bare and trimmed, then word by word.
TEST(TranslationHelperTest, TitlesReadAsTheExamplesSay) {
  TranslationHelper helper;
  EXPECT_FALSE(helper.isZH());  // English at every start
  std::ifstream in(std::filesystem::path(TAVRINE_GOLDEN_DIR) / "translations.txt");
  int cases = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t open = line.find('['), arrow = line.find("] -> [");
    ASSERT_TRUE(open != line.npos && arrow != line.npos && line.back() == ']') << line;
    const std::string input = unescaped(line.substr(open + 1, arrow - open - 1));
    const std::string shown = unescaped(line.substr(arrow + 6, line.size() - arrow - 7));
    helper.setIsZH(line.starts_with("zh"));
    EXPECT_EQ(
        line.find(" menu ") == 2 ? helper.translateMenu(input) : helper.translateCommand(input),
        shown)
        << line;
    ++cases;
  }
  EXPECT_EQ(cases, 60) << "examples read";
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
