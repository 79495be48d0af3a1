// SPDX-License-Identifier: MIT
// A search over what an overlay shows: its application rows and its system catalogue, matched in
// the shown language and the other one, narrowed to a view that shows only the rows kept.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "overlay/overlay_view.h"
#include "search/shortcut_filter.h"

namespace tavrine::search {

// One row the search kept, where the narrowed view shows it.
struct FoundRow {
  bool system = false;                 // in the system catalogue, else in the application grid
  std::size_t section = 0;             // in the narrowed view's sortedGroups() or systemGroups()
  std::size_t row = 0;                 // within that section
  const ShortcutItem* item = nullptr;  // the application's record (in the narrowed view)
  Match match;
};

struct OverlaySearch {
  std::shared_ptr<const OverlayView> view;  // showing only the rows kept
  std::vector<FoundRow> rows;               // in display order: application grid, catalogue
  std::size_t best = 0;                     // index in rows of the best-ranked one
  Query query{""};
};

// Keeps every row for a blank query. The view's language is read now: search again after it
// changes.
OverlaySearch searchOverlay(const OverlayView& view, std::string_view query);

// "12 shortcuts" / "12 个快捷键".
std::string resultCountText(std::size_t count, bool isZH);
// The pinned overlay's fixed texts: what a search that kept nothing says, the search field's
// name, what a row that cannot be run from the overlay says, and what the export says.
enum class Text { noMatch, searchField, cannotRun, saved, notSaved, copied };
std::string_view text(Text which, bool isZH);

}  // namespace tavrine::search
