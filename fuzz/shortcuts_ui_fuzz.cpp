// SPDX-License-Identifier: MIT
// Builder files on arbitrary text: every shortcut kept has a title and 1 to 8 accelerators,
// within the count bound.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/gtk_shortcuts/shortcuts_ui.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace gtk = tavrine::sources::gtk;
  const auto ui =
      gtk::parseShortcutsUi(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!ui) return 0;
  if (ui->shortcuts.size() > gtk::kMaxUiShortcuts) __builtin_trap();
  for (const auto& s : ui->shortcuts) {
    if (s.title.text.empty() || s.accelerators.empty() ||
        s.accelerators.size() > gtk::kMaxAcceleratorsPerShortcut)
      __builtin_trap();
    for (const auto& a : s.accelerators)
      if (a.empty()) __builtin_trap();
  }
  return 0;
}
