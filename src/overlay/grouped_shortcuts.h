// SPDX-License-Identifier: MIT
// Harvested records grouped by their top-level menu, in harvest order within each group.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "harvest/shortcut_item.h"
#include "text/unicode.h"

namespace tavrine {

// Unordered: the overlay decides the order of its sections.
using GroupedShortcuts = std::unordered_map<std::string, std::vector<ShortcutItem>,
                                            text::CanonicalHash, text::CanonicalEqual>;

GroupedShortcuts groupByMenu(const std::vector<ShortcutItem>& items);

}  // namespace tavrine
