// SPDX-License-Identifier: MIT
#include "sources/shortcut_source.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "text/unicode.h"

namespace tavrine {
namespace {

std::string normalisedTitle(std::string_view title) {
  std::string_view t = text::trimSpacesAndTabs(title);
  for (std::string_view ellipsis : {"…", "..."}) {
    if (t.size() >= ellipsis.size() && t.substr(t.size() - ellipsis.size()) == ellipsis) {
      t.remove_suffix(ellipsis.size());
      break;
    }
  }
  return text::toUpperFull(text::canonical(text::trimSpacesAndTabs(t)));
}

struct RowKey {
  KeyChord chord;
  std::string title;
  friend bool operator==(const RowKey&, const RowKey&) = default;
};

struct RowKeyHash {
  std::size_t operator()(const RowKey& k) const {
    return KeyChordHash{}(k.chord) ^ (std::hash<std::string>{}(k.title) << 1);
  }
};

}  // namespace

MergedShortcuts mergeShortcuts(const std::vector<ShortcutSourceRef>& sources,
                               const FrontApplication& app) {
  MergedShortcuts merged;
  std::unordered_set<RowKey, RowKeyHash> seen;
  // Headings an earlier source shows untranslated: a later source's Chinese for the same
  // heading would split its group in two.
  std::unordered_set<std::string> plainHeadings;
  // Each command's row, by heading and title.
  std::map<std::pair<std::string, std::string>, std::size_t> commands;
  bool first = true;
  for (const ShortcutSourceRef& source : sources) {
    if (!source) continue;
    ShortcutSource::Answer answer = source->answer(app);
    merged.unanswered = merged.unanswered || answer.unanswered;
    if (answer.menuBar != MenuBarState::notRead) merged.menuBar = answer.menuBar;
    if (merged.userSheet.empty()) merged.userSheet = std::move(answer.userSheet);
    std::vector<ShortcutItem>& rows = answer.rows;
    if (source->placement() == ShortcutSource::Placement::system) {
      for (ShortcutItem& row : rows)
        merged.system.push_back(std::move(row));
      continue;
    }
    std::unordered_set<std::string> headings;
    for (ShortcutItem& row : rows) {
      std::string command = normalisedTitle(row.title());
      const bool added = seen.insert({row.chord(), command}).second;
      if (!added && !first) continue;
      const bool ownHeading =
          app.isZH && !row.menuPathZH().empty() && !plainHeadings.contains(row.menuPath());
      if (!ownHeading) headings.insert(row.menuPath());
      const bool ownTitle = app.isZH && !row.titleZH().empty();
      const std::string& heading = ownHeading ? row.menuPathZH() : row.menuPath();
      // Headings as the overlay groups them (canonical equivalence); titles as the sources wrote
      // them, so that a source's own Chinese does not split a command in two.
      const auto [at, isNew] = commands.try_emplace({text::canonical(heading), std::move(command)},
                                                    merged.application.size());
      if (!isNew) {
        std::vector<KeyChord>& chords = merged.application[at->second].chords;
        if (std::find(chords.begin(), chords.end(), row.chord()) == chords.end())
          chords.push_back(row.chord());
        continue;
      }
      // A row shown in its source's own Chinese is that command in those words.
      if (ownHeading || ownTitle)
        merged.application.emplace_back(
            row.shownAs(heading, ownTitle ? row.titleZH() : row.title()));
      else
        merged.application.emplace_back(std::move(row));
    }
    plainHeadings.merge(headings);
    first = false;
  }
  return merged;
}

std::optional<EmptyReason> emptyReason(const MergedShortcuts& merged) {
  if (!merged.application.empty()) return std::nullopt;
  return EmptyReason{merged.menuBar, merged.userSheet};
}

}  // namespace tavrine
