// SPDX-License-Identifier: MIT
// GResource bundles as another program ships them, damaged arbitrarily (CTest starts the fuzzer
// from a real bundle): what comes back is within the bounds, and GLib's reader holds up.
#include <cstddef>
#include <cstdint>
#include <span>

#include "sources/gtk_shortcuts/resource_bundle.h"
#include "sources/gtk_shortcuts/shortcuts_ui.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace gtk = tavrine::sources::gtk;
  const auto files = gtk::shortcutsUiFiles(std::as_bytes(std::span(data, size)));
  if (files.size() > gtk::kMaxUiFiles) __builtin_trap();
  for (const auto& ui : files) {
    if (ui.text.size() > gtk::kMaxUiBytes) __builtin_trap();
    (void)gtk::parseShortcutsUi(ui.text);
  }
  return 0;
}
