// SPDX-License-Identifier: MIT
#include "keys/accelerator_chord.h"

#include "keys/key_binding.h"

namespace tavrine::keys {

std::optional<KeyChord> chordOfAccelerator(std::string_view keys) {
  // GTK's form opens with a modifier in angle brackets; "Alt+<" is Qt's form with the key '<'.
  if (keys.starts_with('<') && keys.find('>', 1) != std::string_view::npos)
    return parseGtkAccelerator(keys);
  if (auto chord = parseQtKeyBinding(keys)) return chord;
  // Qt's reader takes a bare Alt with one character ("Alt+D", "Alt+%") for a menu mnemonic;
  // here it is a shortcut: the character read alone, with Alt.
  constexpr std::string_view kAlt = "Alt+";
  if (keys.size() > kAlt.size() && keys.substr(0, kAlt.size()) == kAlt) {
    if (auto chord = parseQtKeyBinding(keys.substr(kAlt.size())); chord && !chord->alt) {
      chord->alt = true;
      return chord;
    }
  }
  if (keys.find('+') == std::string_view::npos) return parseGtkAccelerator(keys);
  return std::nullopt;
}

}  // namespace tavrine::keys
