// Key-cap splitting and shortcut formatting on arbitrary bytes, including ill-formed UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "harvest/accessibility_helper.h"
#include "overlay/shortcut_row.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int64_t mask = 0;
  if (size >= 8) std::memcpy(&mask, data, 8);
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  std::size_t capBytes = 0;
  for (const std::string& cap : tavrine::ShortcutRow::keyGroups(input)) {
    if (cap.empty()) __builtin_trap();
    capBytes += cap.size();
  }
  if (capBytes != input.size()) __builtin_trap();  // splitting drops or adds nothing

  const std::string_view key = size >= 8 ? input.substr(8) : input;
  if (!key.empty()) {
    const std::string shortcut = tavrine::AccessibilityHelper::formatShortcut(mask, key);
    if (shortcut.empty() || tavrine::ShortcutRow::keyGroups(shortcut).empty()) __builtin_trap();
  }
  return 0;
}
