// SPDX-License-Identifier: MIT
// Arbitrary bytes, ill-formed UTF-8 included, as menu names and command titles in both modes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "i18n/translation_helper.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One instance for the whole run: its maps never change after they are built, so memory stays
  // flat however many inputs come through.
  static tavrine::TranslationHelper helper;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (const bool zh : {false, true}) {
    helper.setIsZH(zh);
    const std::string menu = helper.translateMenu(input);
    const std::string command = helper.translateCommand(input);
    // Output grows only by word for word replacement (at most 3.5 times, "列 " to "Column "), one
    // appended ellipsis, or a whole table value; and the empty text maps to itself.
    const std::size_t bound = 4 * input.size() + 256;
    if (command.size() > bound || menu.size() > bound) __builtin_trap();
    if (input.empty() && !command.empty()) __builtin_trap();
  }
  return 0;
}
