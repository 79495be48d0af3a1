// SPDX-License-Identifier: MIT
// A menu item's key equivalent as the accessibility interface gives it (a modifier mask and a
// command character) and the chord it stands for. Named keys arrive as AppKit's function-key
// characters (U+F700..U+F747) or as the control characters of Return, Tab, Escape and the like.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/key_chord.h"
#include "model/named_key.h"

namespace tavrine {

// The key a command character names, if it names one: AppKit's function-key characters, the
// ASCII controls (Return, Enter, Tab, Back Tab, Escape, Backspace, Delete) with Carbon's codes for
// Home, End, Help, Page Up/Down and the arrows, and the space. `commandChar` must be exactly one
// code point.
std::optional<NamedKey> namedKey(char32_t c);
std::optional<NamedKey> namedKey(std::string_view commandChar);

// The chord of a menu-item mask (Shift 1, Option 2, Control 4, no Command 8) and command
// character: a named key by its name, any other character as its cap shows it.
KeyChord keyEquivalentChord(std::int64_t modifiers, std::string_view key);

}  // namespace tavrine
