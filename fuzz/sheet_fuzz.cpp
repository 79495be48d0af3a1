// SPDX-License-Identifier: MIT
// Sheets on arbitrary text: a sheet whose every shortcut has a title and keys, or one message
// that names the file and a line.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/sheets/sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace sh = tavrine::sources::sheets;
  const auto parsed =
      sh::parseSheet(std::string_view(reinterpret_cast<const char*>(data), size), "f.toml");
  if (const auto* error = std::get_if<sh::SheetError>(&parsed)) {
    if (!error->message.starts_with("f.toml:")) __builtin_trap();
    return 0;
  }
  for (const auto& group : std::get<sh::Sheet>(parsed).groups) {
    if (group.heading.empty()) __builtin_trap();
    for (const auto& s : group.shortcuts)
      if (s.title.empty() || s.keys.empty() || s.line <= 0) __builtin_trap();
  }
  return 0;
}
