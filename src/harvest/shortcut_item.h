// SPDX-License-Identifier: MIT
// One harvested keyboard shortcut: a plain value, never changed after it is made. The one record
// a shortcut travels in, from the source that read it to the row that shows it.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/key_chord.h"

namespace tavrine {

// A random (version 4) UUID.
struct Uuid {
  std::array<std::uint8_t, 16> bytes{};

  static Uuid random();
  std::string toString() const;
  friend bool operator==(const Uuid&, const Uuid&) = default;
};

struct UuidHash {
  std::size_t operator()(const Uuid& u) const;
};

// The source whose records the menu-bar walk makes: the application's own menu bar.
inline constexpr const char* kMenuBarSource = "menu bar";
// The source of the desktop's own live bindings, which take their chords before any application.
inline constexpr const char* kDesktopBindingSource = "desktop";

// Where a record came from, and the Chinese its source wrote itself: empty means the translation
// tables apply.
struct ShortcutOrigin {
  std::string source = kMenuBarSource;  // "menu bar", "sheet", "system", ...
  std::string menuPathZH;
  std::string titleZH;
};

class ShortcutItem {
 public:
  // Every record gets a fresh identity, even when its texts repeat another's.
  ShortcutItem(std::string menuPath, std::string title, KeyChord chord, ShortcutOrigin origin = {});

  const Uuid& id() const { return id_; }
  // Title of the top-level menu the item sits under, whatever its depth.
  const std::string& menuPath() const { return menuPath_; }
  const std::string& title() const { return title_; }
  // Display text of the key equivalent, such as "⇧⌘Z", made from the chord.
  const std::string& shortcut() const { return shortcut_; }
  const KeyChord& chord() const { return chord_; }
  const std::string& source() const { return origin_.source; }
  const std::string& menuPathZH() const { return origin_.menuPathZH; }
  const std::string& titleZH() const { return origin_.titleZH; }
  // The same command in the words it is shown in, from the same source: a new record.
  ShortcutItem shownAs(std::string menuPath, std::string title) const;

  // Field by field in declaration order (identity, then the texts); texts compare under canonical
  // equivalence, so in effect a record equals only its own copies. The origin rides along.
  friend bool operator==(const ShortcutItem& a, const ShortcutItem& b);

 private:
  Uuid id_;
  std::string menuPath_;
  std::string title_;
  std::string shortcut_;
  KeyChord chord_;
  ShortcutOrigin origin_;
};

struct ShortcutItemHash {
  std::size_t operator()(const ShortcutItem& item) const;
};

// One row of shortcuts: a command and every chord that runs it. An application may give the
// same command several keys, each as a record of its own; the row keeps the first record, which
// is the one the overlay runs, and the chords of all of them.
struct ShortcutEntry {
  // A record alone is a row with its one chord.
  ShortcutEntry(ShortcutItem first) : item(std::move(first)), chords{item.chord()} {}

  ShortcutItem item;
  std::vector<KeyChord> chords;  // the record's first, then the others' as first seen; no repeats
  friend bool operator==(const ShortcutEntry&, const ShortcutEntry&) = default;
};

}  // namespace tavrine
