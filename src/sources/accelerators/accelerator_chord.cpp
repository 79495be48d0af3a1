// SPDX-License-Identifier: MIT
#include "sources/accelerators/accelerator_chord.h"

#include <string>

#include "platform/linux/atspi/key_binding.h"

namespace tavrine::sources {

std::optional<KeyChord> chordOfAccelerator(std::string_view keys) {
  if (keys.find('<') != std::string_view::npos) return atspi::parseGtkAccelerator(keys);
  if (auto chord = atspi::parseQtKeyBinding(keys)) return chord;
  // Qt's reader takes a bare Alt+letter for a menu mnemonic; GTK's form has no such reading.
  constexpr std::string_view kAlt = "Alt+";
  if (keys.size() == kAlt.size() + 1 && keys.substr(0, kAlt.size()) == kAlt) {
    const char key = keys.back();
    if ((key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z') || (key >= '0' && key <= '9'))
      return atspi::parseGtkAccelerator("<Alt>" + std::string(1, key));
  }
  if (keys.find('+') == std::string_view::npos) return atspi::parseGtkAccelerator(keys);
  return std::nullopt;
}

}  // namespace tavrine::sources
