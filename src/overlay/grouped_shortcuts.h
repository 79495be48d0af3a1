// SPDX-License-Identifier: MIT
// Rows of shortcuts grouped by their top-level menu, in harvest order within each group.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "harvest/shortcut_item.h"
#include "text/unicode.h"

namespace tavrine {

// Unordered: the overlay decides the order of its sections.
using GroupedShortcuts = std::unordered_map<std::string, std::vector<ShortcutEntry>,
                                            text::CanonicalHash, text::CanonicalEqual>;

GroupedShortcuts groupByMenu(const std::vector<ShortcutEntry>& rows);

// Shortcuts under one heading (their menuPath), in the order their source gave them.
struct ShortcutGroup {
  std::string heading;
  std::string headingZH;
  std::vector<ShortcutItem> items;
};

// Shortcuts under the same heading together, headings in the order they first appear, each
// group's shortcuts in the order given.
std::vector<ShortcutGroup> groupByHeading(const std::vector<ShortcutItem>& shortcuts);

}  // namespace tavrine
