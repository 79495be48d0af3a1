// SPDX-License-Identifier: MIT
// Accelerator maps on arbitrary text: every entry has a path, within the count bound.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/accel_map/accel_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace am = tavrine::sources::accel_map;
  const auto entries =
      am::parseAccelMap(std::string_view(reinterpret_cast<const char*>(data), size));
  if (entries.size() > am::kMaxEntries) __builtin_trap();
  for (const auto& e : entries) {
    if (e.path.empty()) __builtin_trap();
    (void)am::actionName(e.path);
  }
  return 0;
}
