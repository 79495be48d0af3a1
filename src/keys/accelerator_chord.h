// SPDX-License-Identifier: MIT
// Keys as sheets and GTK shortcuts windows write them, read into chords.
#pragma once

#include <optional>
#include <string_view>

#include "model/key_chord.h"

namespace tavrine::keys {

// GTK's form ("<Primary><Shift>t", "F5", "Page_Up") or Qt's ("Ctrl+Shift+T", "Ctrl++", "Esc").
// Unlike in a Qt menu's binding, Alt with a letter ("Alt+D") is a shortcut here, not a mnemonic.
// None for what neither form reads.
std::optional<KeyChord> chordOfAccelerator(std::string_view keys);

}  // namespace tavrine::keys
