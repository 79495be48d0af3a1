// SPDX-License-Identifier: MIT
// Key-cap splitting and shortcut formatting on arbitrary bytes, including ill-formed UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "harvest/accessibility_helper.h"
#include "overlay/shortcut_row.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int64_t mask = 0;
  if (size >= 8) std::memcpy(&mask, data, 8);
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  std::size_t capBytes = 0;
  const std::vector<std::string> caps = tavrine::ShortcutRow::keyGroups(input);
  for (const std::string& cap : caps) {
    if (cap.empty()) __builtin_trap();
    capBytes += cap.size();
  }
  if (capBytes != input.size()) __builtin_trap();  // splitting drops or adds nothing
  // Words rename and reorder modifier caps, never merge, split or drop one.
  const std::vector<std::string> words =
      tavrine::ShortcutRow::keyGroups(input, tavrine::KeyCapStyle::words);
  if (words.size() != caps.size()) __builtin_trap();
  for (const std::string& cap : words) {
    if (cap.empty()) __builtin_trap();
  }

  const std::string_view key = size >= 8 ? input.substr(8) : input;
  if (!key.empty()) {
    const std::string shortcut = tavrine::AccessibilityHelper::formatShortcut(mask, key);
    if (shortcut.empty() || tavrine::ShortcutRow::keyGroups(shortcut).empty()) __builtin_trap();
  }
  return 0;
}
