// SPDX-License-Identifier: MIT
// Menu items whose key equivalent has no character: the accessibility interface then reports the
// key by the glyph the menu draws (AXMenuItemCmdGlyph, the Menu Manager's kMenu...Glyph codes)
// and by its virtual key code (AXMenuItemCmdVirtualKey, kVK_...), with no AXMenuItemCmdChar.
// Plain C++, so that the table builds and is tested everywhere.
#pragma once

#include <cstdint>
#include <optional>

namespace tavrine::macos {

// The character a key equivalent carries for that key, as the menu walk reads characters:
// AppKit's function-key characters (U+F700 up arrow, U+F704 F1...) and the controls of Return,
// Enter, Tab, Back Tab, Escape and Backspace, and the space. The glyph wins where both are known,
// as it is what the menu shows. None for a key with a printable character (its virtual key
// depends on the keyboard layout), a modifier or a mark, or when neither is known.
std::optional<char32_t> keyEquivalentCharacter(std::optional<std::int64_t> glyph,
                                               std::optional<std::int64_t> virtualKey);

}  // namespace tavrine::macos
