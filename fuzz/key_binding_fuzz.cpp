// SPDX-License-Identifier: MIT
// The Linux accelerator readers on arbitrary bytes: whatever another application reports, a
// binding is read into a key equivalent that formats into caps, or into nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "harvest/accessibility_helper.h"
#include "overlay/shortcut_row.h"
#include "platform/linux/atspi/key_binding.h"

namespace {

void check(const std::optional<tavrine::atspi::KeyEquivalent>& key) {
  if (!key) return;
  if (key->commandChar.empty() || key->modifiers < 0 || key->modifiers > 15) __builtin_trap();
  const std::string shortcut =
      tavrine::AccessibilityHelper::formatShortcut(key->modifiers, key->commandChar);
  if (tavrine::ShortcutRow::keyGroups(shortcut, tavrine::KeyCapStyle::words).empty())
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  check(tavrine::atspi::parseKeyBinding(input));
  check(tavrine::atspi::parseGtkKeyBinding(input));
  check(tavrine::atspi::parseGtkAccelerator(input));
  check(tavrine::atspi::parseQtKeyBinding(input));
  return 0;
}
