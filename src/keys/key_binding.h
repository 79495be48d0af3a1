// SPDX-License-Identifier: MIT
// Accelerators as AT-SPI reports them (Action.GetKeyBinding), turned into key chords: Ctrl is the
// primary modifier, Super the control one; printable keys as their caps show them ("S", "+",
// "/"), the rest as named keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/key_chord.h"

namespace tavrine::keys {

// Bindings longer than this are refused unread; real ones are a few dozen bytes.
inline constexpr std::size_t kMaxKeyBindingBytes = 1024;

// GTK's form "mnemonic;path;accelerator" ("n;<Alt>f:n;<Primary>n", ";;<Primary>q"): the
// accelerator field only. None when there is no accelerator or it cannot be read.
std::optional<KeyChord> parseGtkKeyBinding(std::string_view binding);

// One GTK accelerator ("<Primary><Shift>s", "<Alt>F4", "Delete"), as gtk_accelerator_parse
// reads it: modifier names in any case, the key an X keysym name. A letter's case does not add
// Shift ("<Primary>S" is Ctrl+S). A modifier that cannot be shown (Mod3, Mod5, unknown names)
// gives none rather than a shortcut without it.
std::optional<KeyChord> parseGtkAccelerator(std::string_view accelerator);

// Qt's form, its shortcut text ("Ctrl+Shift+S", "Ctrl++", "F11"). A bare Alt+letter is the
// item's mnemonic, not a shortcut: none. A sequence ("Ctrl+K, Ctrl+C") cannot be shown as one
// chord, and its first stroke alone would be a different shortcut: none.
std::optional<KeyChord> parseQtKeyBinding(std::string_view binding);

// Either form, told apart by its shape.
std::optional<KeyChord> parseKeyBinding(std::string_view binding);

}  // namespace tavrine::keys
