// SPDX-License-Identifier: MIT
// Translation of command titles: whole-title hits in both directions, the word fallback in both
// directions, and English titles passing through unchanged in English mode. The baseline is a
// plain byte-wise hash lookup of the same 235 titles.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "i18n/translation_helper.h"
#include "i18n/translation_tables.h"

namespace {

using tavrine::TranslationHelper;

std::vector<std::string> commandKeys() {
  std::vector<std::string> titles;
  for (const auto& row : tavrine::commandsTable())
    titles.emplace_back(row.en);
  return titles;
}

std::vector<std::string> distinctCommandValues() {
  std::set<std::string_view> seen;
  std::vector<std::string> titles;
  for (const auto& row : tavrine::commandsTable()) {
    if (seen.insert(row.zh).second) titles.emplace_back(row.zh);
  }
  return titles;
}

// 1,000 distinct titles of two to four words, none of them a whole command title, so every one
// goes through the word fallback. english picks the keys (toward Chinese), otherwise the values.
std::vector<std::string> fallbackTitles(bool english) {
  const auto words = tavrine::wordsTable();
  std::set<std::string_view> whole;
  for (const auto& row : tavrine::commandsTable())
    whole.insert(english ? row.en : row.zh);
  std::set<std::string> made;
  std::vector<std::string> titles;
  std::uint64_t seed = 0x9E3779B97F4A7C15u;  // a fixed linear congruential sequence
  auto next = [&seed](std::size_t bound) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    return static_cast<std::size_t>(seed >> 33) % bound;
  };
  while (titles.size() < 1000) {
    std::string title;
    const std::size_t count = 2 + next(3);
    for (std::size_t j = 0; j < count; ++j) {
      const auto& row = words[next(words.size())];
      if (j > 0) title += ' ';
      title += english ? row.en : row.zh;
    }
    if (!whole.contains(title) && made.insert(title).second) titles.push_back(title);
  }
  return titles;
}

void runTranslations(benchmark::State& state, bool zh, const std::vector<std::string>& titles) {
  TranslationHelper helper;
  helper.setIsZH(zh);
  // One untimed pass, so that the reverse maps are built before timing starts.
  for (const auto& title : titles)
    benchmark::DoNotOptimize(helper.translateCommand(title));
  for (auto _ : state) {
    for (const auto& title : titles) {
      std::string result = helper.translateCommand(title);
      benchmark::DoNotOptimize(result);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(titles.size()));
}

void BM_TranslateCommand_WholeTitle_ZH(benchmark::State& state) {
  runTranslations(state, true, commandKeys());
}
BENCHMARK(BM_TranslateCommand_WholeTitle_ZH);

void BM_TranslateCommand_WholeTitle_EN(benchmark::State& state) {
  runTranslations(state, false, distinctCommandValues());
}
BENCHMARK(BM_TranslateCommand_WholeTitle_EN);

void BM_TranslateCommand_WordFallback_ZH(benchmark::State& state) {
  runTranslations(state, true, fallbackTitles(true));
}
BENCHMARK(BM_TranslateCommand_WordFallback_ZH);

void BM_TranslateCommand_WordFallback_EN(benchmark::State& state) {
  runTranslations(state, false, fallbackTitles(false));
}
BENCHMARK(BM_TranslateCommand_WordFallback_EN);

// The everyday case of English mode: an application's own English titles, which come back as
// they were after every lookup has missed.
void BM_TranslateCommand_EnglishPassThrough_EN(benchmark::State& state) {
  runTranslations(state, false, fallbackTitles(true));
}
BENCHMARK(BM_TranslateCommand_EnglishPassThrough_EN);

// Baseline: one byte-wise lookup per title in a plain map holding the commands table, with the
// copy of the found value that a translation also returns.
void BM_TranslationBaseline_PlainMapLookup(benchmark::State& state) {
  std::unordered_map<std::string, std::string> map;
  for (const auto& row : tavrine::commandsTable())
    map.emplace(row.en, row.zh);
  const std::vector<std::string> titles = commandKeys();
  for (auto _ : state) {
    for (const auto& title : titles) {
      const auto it = map.find(title);
      std::string result = it != map.end() ? it->second : title;
      benchmark::DoNotOptimize(result);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(titles.size()));
}
BENCHMARK(BM_TranslationBaseline_PlainMapLookup);

}  // namespace
