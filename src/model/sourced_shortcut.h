// SPDX-License-Identifier: MIT
// A shortcut as a source of shortcuts delivers it, and the shortcuts under one heading.
#pragma once

#include <string>
#include <vector>

#include "model/key_chord.h"

namespace tavrine {

struct SourcedShortcut {
  std::string heading;  // the group it is shown under: a top-level menu, a catalogue section
  std::string title;
  KeyChord chord;
  std::string source;  // which source delivered it ("menu bar", "system")
  // A source that carries its own Chinese fills these; empty means the translation tables apply.
  std::string headingZH;
  std::string titleZH;
};

// Shortcuts under one heading, in the order their source gave them.
struct ShortcutGroup {
  std::string heading;
  std::string headingZH;
  std::vector<SourcedShortcut> items;
};

}  // namespace tavrine
