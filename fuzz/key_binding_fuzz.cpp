// SPDX-License-Identifier: MIT
// The Linux accelerator readers on arbitrary bytes: whatever another application reports, a
// binding is read into a chord with a key and no empty cap, or into nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <variant>
#include <vector>

#include "keys/key_binding.h"
#include "model/key_chord.h"

namespace {

void check(const std::optional<tavrine::KeyChord>& chord) {
  if (!chord) return;
  const auto* text = std::get_if<std::string>(&chord->key);
  if (std::holds_alternative<std::monostate>(chord->key) || (text != nullptr && text->empty()))
    __builtin_trap();
  for (const auto style : {tavrine::KeyCapStyle::glyphs, tavrine::KeyCapStyle::words}) {
    for (const std::string& cap : tavrine::keyCaps(*chord, style)) {
      if (cap.empty()) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  check(tavrine::keys::parseKeyBinding(input));
  check(tavrine::keys::parseGtkKeyBinding(input));
  check(tavrine::keys::parseGtkAccelerator(input));
  check(tavrine::keys::parseQtKeyBinding(input));
  return 0;
}
