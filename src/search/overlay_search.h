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

// "12 shortcuts" / "12 个快捷键", and what a search that kept nothing says.
std::string resultCountText(std::size_t count, bool isZH);
std::string_view noMatchText(bool isZH);
// The search field's name, and what a row says that cannot be run from the overlay.
std::string_view searchFieldName(bool isZH);
std::string_view cannotRunText(bool isZH);
// What the export of the sheet says.
std::string_view savedText(bool isZH);
std::string_view notSavedText(bool isZH);
std::string_view copiedText(bool isZH);

}  // namespace tavrine::search
