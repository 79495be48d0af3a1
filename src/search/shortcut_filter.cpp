// SPDX-License-Identifier: MIT
#include "search/shortcut_filter.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace tavrine::search {
namespace {

const icu::Normalizer2* nfkd() {
  static const icu::Normalizer2* instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = icu::Normalizer2::getNFKDInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
  }();
  return instance;
}

bool isAsciiWordByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Splits on runs of spaces (a folded text has no other white space left that matters).
std::vector<std::string> splitWords(std::string_view s) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ')
      ++i;
    const std::size_t start = i;
    while (i < s.size() && s[i] != ' ')
      ++i;
    if (i > start) words.emplace_back(s.substr(start, i - start));
  }
  return words;
}

// The one name a key goes by, whichever way it was written or shown.
std::string keyName(std::string folded) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 14> kAliases = {{
      {"control", "ctrl"},
      {"⌃", "ctrl"},
      {"command", "cmd"},
      {"⌘", "cmd"},
      {"option", "alt"},
      {"opt", "alt"},
      {"⌥", "alt"},
      {"⇧", "shift"},
      {"escape", "esc"},
      {"win", "super"},
      {"meta", "super"},
      {"del", "delete"},
      {"return", "enter"},
      {"⌫", "backspace"},
  }};
  for (const auto& [alias, name] : kAliases)
    if (folded == alias) return std::string(name);
  return folded;
}

// Words of a query read as key names: "ctrl+shift+t" is three, and "ctrl++" names the "+" key.
std::vector<std::string> keyWords(const std::vector<std::string>& words) {
  std::vector<std::string> keys;
  for (const std::string& word : words) {
    std::size_t start = 0;
    while (start < word.size()) {
      std::size_t plus = word.find('+', start);
      if (plus == start) {  // a "+" where a key belongs is the key itself
        keys.emplace_back("+");
        start = plus + 1;
        if (start < word.size() && word[start] == '+') ++start;
        continue;
      }
      if (plus == std::string::npos) plus = word.size();
      keys.push_back(keyName(word.substr(start, plus - start)));
      start = plus + 1;
    }
  }
  return keys;
}

// The range of source bytes behind folded bytes [pos, pos + length), widened to whole characters.
Range sourceRange(const FoldedText& text, std::size_t pos, std::size_t length) {
  const std::vector<std::size_t>& offsets = text.sourceOffsets;
  std::size_t end = pos + length;
  while (end < text.folded.size() && offsets[end] == offsets[end - 1])
    ++end;
  return {offsets[pos], offsets[end]};
}

bool startsWord(const std::string& folded, std::size_t pos) {
  return pos == 0 ||
         (static_cast<unsigned char>(folded[pos - 1]) < 0x80 && !isAsciiWordByte(folded[pos - 1]));
}

// The best way `phrase` lies in one title, if it does.
std::optional<Rank> phraseRank(const FoldedText& title, const std::string& phrase,
                               std::size_t& foundAt) {
  if (title.folded == phrase) {
    foundAt = 0;
    return Rank::exactTitle;
  }
  std::size_t pos = title.folded.find(phrase);
  if (pos == std::string::npos) return std::nullopt;
  if (pos == 0) {
    foundAt = 0;
    return Rank::titlePrefix;
  }
  for (std::size_t at = pos; at != std::string::npos; at = title.folded.find(phrase, at + 1)) {
    if (startsWord(title.folded, at)) {
      foundAt = at;
      return Rank::wordPrefix;
    }
  }
  foundAt = pos;
  return Rank::inTitle;
}

// Whether each of `keys` is a distinct cap of `caps` (both as key names); `exact` when nothing is
// left over.
bool keysAmong(const std::vector<std::string>& keys, std::vector<std::string> caps, bool& exact) {
  for (const std::string& key : keys) {
    const auto it = std::find(caps.begin(), caps.end(), key);
    if (it == caps.end()) return false;
    caps.erase(it);
  }
  exact = caps.empty();
  return true;
}

}  // namespace

FoldedText fold(std::string_view text) {
  FoldedText out;
  out.folded.reserve(text.size());
  out.sourceOffsets.reserve(text.size() + 1);
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
  std::int32_t i = 0;
  std::string piece;
  while (i < length) {
    const std::int32_t start = i;
    UChar32 c;
    U8_NEXT(p, i, length, c);
    if (c < 0) c = 0xFFFD;
    icu::UnicodeString decomposed;
    if (nfkd() == nullptr || !nfkd()->getDecomposition(c, decomposed)) decomposed = c;
    icu::UnicodeString kept;
    for (std::int32_t j = 0; j < decomposed.length();) {
      const UChar32 d = decomposed.char32At(j);
      j += U16_LENGTH(d);
      if (u_charType(d) == U_NON_SPACING_MARK || u_charType(d) == U_ENCLOSING_MARK) continue;
      kept.append(u_isUWhiteSpace(d) ? UChar32{' '} : d);
    }
    kept.foldCase();
    piece.clear();
    kept.toUTF8String(piece);
    out.folded += piece;
    out.sourceOffsets.insert(out.sourceOffsets.end(), piece.size(),
                             static_cast<std::size_t>(start));
  }
  out.sourceOffsets.push_back(static_cast<std::size_t>(length));
  return out;
}

Query::Query(std::string_view text) {
  words_ = splitWords(fold(text).folded);
  for (const std::string& word : words_) {
    if (!phrase_.empty()) phrase_ += ' ';
    phrase_ += word;
  }
  keys_ = keyWords(words_);
}

bool Query::match(const Entry& entry, Match& out) const {
  out.highlights.clear();
  out.keysMatched = false;
  if (blank()) {
    out.rank = Rank::exactTitle;
    return true;
  }
  std::optional<Rank> best;
  const FoldedText shown = fold(entry.title);
  std::size_t at = 0;
  if (const std::optional<Rank> rank = phraseRank(shown, phrase_, at)) {
    best = rank;
    out.highlights.push_back(sourceRange(shown, at, phrase_.size()));
  }
  for (const std::string& other : entry.otherTitles) {
    std::size_t ignored = 0;
    const std::optional<Rank> rank = phraseRank(fold(other), phrase_, ignored);
    if (rank && (!best || *rank < *best)) best = rank;
  }
  // Named keys match one shortcut at a time: "ctrl f3" is not a row of Ctrl+G and F3.
  std::vector<std::vector<std::string>> caps;
  caps.reserve(entry.keys.size());
  for (const std::vector<std::string>& shortcut : entry.keys) {
    std::vector<std::string>& names = caps.emplace_back();
    for (const std::string& key : shortcut)
      names.push_back(keyName(fold(key).folded));
    bool exactKeys = false;
    if (!keys_.empty() && keysAmong(keys_, names, exactKeys)) {
      out.keysMatched = true;
      const Rank rank = exactKeys ? Rank::exactKeys : Rank::someKeys;
      if (!best || rank < *best) best = rank;
    }
  }
  if (!best) {
    // Every word somewhere in a title or the heading, in either language, or naming a key of
    // one of its shortcuts.
    std::vector<FoldedText> texts;
    for (const std::string& other : entry.otherTitles)
      texts.push_back(fold(other));
    for (const std::string& heading : entry.headings)
      texts.push_back(fold(heading));
    if (caps.empty()) caps.emplace_back();
    for (const std::vector<std::string>& names : caps) {
      std::vector<Range> wordRanges;
      const bool all = std::all_of(words_.begin(), words_.end(), [&](const std::string& word) {
        // A single letter or digit is too common inside words to count anywhere but at a start.
        const bool loneLetter = word.size() == 1 && isAsciiWordByte(word[0]);
        std::size_t pos = shown.folded.find(word);
        while (loneLetter && pos != std::string::npos && !startsWord(shown.folded, pos))
          pos = shown.folded.find(word, pos + 1);
        if (pos != std::string::npos) {
          wordRanges.push_back(sourceRange(shown, pos, word.size()));
          return true;
        }
        return std::find(names.begin(), names.end(), keyName(word)) != names.end() ||
               (!loneLetter && std::any_of(texts.begin(), texts.end(), [&](const FoldedText& t) {
                 return t.folded.find(word) != std::string::npos;
               }));
      });
      if (all) {
        best = Rank::allWords;
        out.highlights = std::move(wordRanges);
        break;
      }
    }
  }
  if (!best) return false;
  out.rank = *best;
  // Ascending and merged, for the painter.
  std::sort(out.highlights.begin(), out.highlights.end(),
            [](const Range& a, const Range& b) { return a.begin < b.begin; });
  std::vector<Range> merged;
  for (const Range& r : out.highlights) {
    if (r.end <= r.begin) continue;
    if (!merged.empty() && r.begin <= merged.back().end)
      merged.back().end = std::max(merged.back().end, r.end);
    else
      merged.push_back(r);
  }
  out.highlights = std::move(merged);
  return true;
}

std::vector<Match> filter(const std::vector<Entry>& entries, std::string_view query) {
  const Query q(query);
  std::vector<Match> matches;
  Match m;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!q.match(entries[i], m)) continue;
    m.entry = i;
    matches.push_back(m);
  }
  std::stable_sort(matches.begin(), matches.end(),
                   [](const Match& a, const Match& b) { return a.rank < b.rank; });
  return matches;
}

}  // namespace tavrine::search
