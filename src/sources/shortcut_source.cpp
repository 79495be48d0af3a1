// SPDX-License-Identifier: MIT
#include "sources/shortcut_source.h"

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
  bool first = true;
  for (const ShortcutSourceRef& source : sources) {
    if (!source) continue;
    std::vector<SourcedShortcut> rows = source->shortcuts(app);
    if (source->placement() == ShortcutSource::Placement::system) {
      for (SourcedShortcut& row : rows)
        merged.system.push_back(std::move(row));
      continue;
    }
    for (SourcedShortcut& row : rows) {
      const bool added = seen.insert({row.chord, normalisedTitle(row.title)}).second;
      if (!added && !first) continue;
      merged.application.emplace_back(std::move(row.heading), std::move(row.title),
                                      std::move(row.chord));
    }
    first = false;
  }
  return merged;
}

}  // namespace tavrine
