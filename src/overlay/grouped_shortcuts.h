// SPDX-License-Identifier: MIT
// Rows of shortcuts grouped by their top-level menu, in harvest order within each group.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "harvest/shortcut_item.h"
#include "model/key_chord.h"
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

// The desktop's live bindings by chord, made once per read: the desktop takes such a chord
// before the application in front, so an application row with it never reaches the application.
// The catalogue of a desktop's defaults (source "system") takes nothing: those are not the
// user's bindings.
class DesktopBindings {
 public:
  DesktopBindings() = default;
  explicit DesktopBindings(const std::vector<ShortcutItem>& systemShortcuts);

  // The binding that takes the row's shortcut, or null. Only a row with one chord is taken: a
  // command with several still reaches the application through the others.
  const ShortcutItem* taking(const ShortcutEntry& row) const;

 private:
  std::unordered_map<KeyChord, ShortcutItem, KeyChordHash> byChord_;
};

// What a taken row says, in the language: "taken by the desktop: Hide Window".
std::string takenByTheDesktop(const ShortcutItem& binding, bool zh);

}  // namespace tavrine
