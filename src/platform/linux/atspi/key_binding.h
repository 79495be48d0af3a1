// SPDX-License-Identifier: MIT
// Accelerators as AT-SPI reports them (Action.GetKeyBinding), turned into the key equivalent a
// menu item carries on every platform: a modifier mask and a command character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrine::atspi {

// The menu-item modifier mask: Shift 1, Alt 2, Super 4, "no Ctrl" 8 (Ctrl plays Command).
struct KeyEquivalent {
  std::int64_t modifiers = 0;
  // Printable keys as themselves (UTF-8, as typed without Shift: "s", "+", "/"); named keys as the
  // function-key characters macOS menus use (Up U+F700, F11 U+F70E, Page Up U+F72C, Delete U+F728);
  // Return, Tab, Escape and BackSpace as "\r", "\t", "\x1b", "\x08"; Space as " ".
  std::string commandChar;

  bool operator==(const KeyEquivalent&) const = default;
};

// Bindings longer than this are refused unread; real ones are a few dozen bytes.
inline constexpr std::size_t kMaxKeyBindingBytes = 1024;

// GTK's form "mnemonic;path;accelerator" ("n;<Alt>f:n;<Primary>n", ";;<Primary>q"): the
// accelerator field only. None when there is no accelerator or it cannot be read.
std::optional<KeyEquivalent> parseGtkKeyBinding(std::string_view binding);

// One GTK accelerator ("<Primary><Shift>s", "<Alt>F4", "Delete"), as gtk_accelerator_parse
// reads it: modifier names in any case, the key an X keysym name. A letter's case does not add
// Shift ("<Primary>S" is Ctrl+S). A modifier that cannot be shown (Mod3, Mod5, unknown names)
// gives none rather than a shortcut without it.
std::optional<KeyEquivalent> parseGtkAccelerator(std::string_view accelerator);

// Qt's form, its shortcut text ("Ctrl+Shift+S", "Ctrl++", "F11"). A bare Alt+letter is the
// item's mnemonic, not a shortcut: none. A chord ("Ctrl+K, Ctrl+C") cannot be shown as one key
// equivalent, and its first stroke alone would be a different shortcut: none.
std::optional<KeyEquivalent> parseQtKeyBinding(std::string_view binding);

// Either form, told apart by its shape.
std::optional<KeyEquivalent> parseKeyBinding(std::string_view binding);

}  // namespace tavrine::atspi
