// SPDX-License-Identifier: MIT
// The built-in English-to-Chinese vocabulary: constant data, in table order.
#pragma once

#include <span>
#include <string_view>

namespace tavrine {

struct TranslationPair {
  std::string_view en;
  std::string_view zh;
};

// Top-level menu names (39 rows).
std::span<const TranslationPair> menusTable();
// Whole command titles (235 rows).
std::span<const TranslationPair> commandsTable();
// Single words for the word-by-word fallback (235 rows).
std::span<const TranslationPair> wordsTable();

}  // namespace tavrine
