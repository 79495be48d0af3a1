// SPDX-License-Identifier: MIT
// The search of a pinned overlay: which rows a typed query keeps, in what order, and which parts
// of each shown title to highlight. Pure text work, independent of any drawing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine::search {

// A text prepared for matching: compatibility decomposition, combining marks removed, full case
// folding ("É" and "e" match, "ﬁ" matches "fi", "ß" matches "ss"). `sourceOffsets[i]` is the byte
// offset in the source of the character that made folded byte i; one more entry holds the
// source's length.
struct FoldedText {
  std::string folded;
  std::vector<std::size_t> sourceOffsets;
};
FoldedText fold(std::string_view text);

// One row as the filter sees it.
struct Entry {
  std::string title;                     // as shown, in the shown language
  std::vector<std::string> otherTitles;  // the same command in the other language
  std::vector<std::string> headings;     // its group's heading, in both languages
  // The caps of each of its shortcuts as shown ({"Ctrl", "Shift", "T"}; {"⌘", "F11"}).
  std::vector<std::vector<std::string>> keys;
};

// Bytes [begin, end) of the shown title.
struct Range {
  std::size_t begin = 0;
  std::size_t end = 0;
  friend bool operator==(const Range&, const Range&) = default;
};

// How well an entry matched; a lower rank comes first.
enum class Rank {
  exactTitle,   // the whole title, in either language
  exactKeys,    // the named keys are exactly one of the row's shortcuts ("ctrl shift t", "F11")
  titlePrefix,  // the title begins with the query
  wordPrefix,   // a word of the title begins with the query
  inTitle,      // the title holds the query
  someKeys,     // the named keys are among one of the row's shortcuts
  allWords,     // every word of the query is in a title or the heading, or names a key
};

struct Match {
  std::size_t entry = 0;  // index into the entries
  Rank rank = Rank::exactTitle;
  std::vector<Range> highlights;  // in the shown title, ascending, not overlapping
  bool keysMatched = false;       // the query named the row's keys
};

// A query as typed: blank, or words separated by white space; "ctrl+shift+t" names keys too.
class Query {
 public:
  explicit Query(std::string_view text);
  // Blank: keeps every row.
  bool blank() const { return phrase_.empty(); }
  // Whether `entry` matches, and how.
  bool match(const Entry& entry, Match& out) const;

 private:
  std::string phrase_;              // folded, white space collapsed to single spaces
  std::vector<std::string> words_;  // folded words of the phrase
  std::vector<std::string> keys_;   // folded key names, aliases resolved
};

// The entries that match `query`, best first; equal ranks keep the entries' order. A blank query
// keeps all of them, in order, with no highlights.
std::vector<Match> filter(const std::vector<Entry>& entries, std::string_view query);

}  // namespace tavrine::search
