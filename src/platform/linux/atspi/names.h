// SPDX-License-Identifier: MIT
// Names on the accessibility bus that both the menu reader and the key listener use.
#pragma once

#include <cstdint>

namespace tavrine::atspi {

inline constexpr const char* kRegistry = "org.a11y.atspi.Registry";
inline constexpr const char* kRootPath = "/org/a11y/atspi/accessible/root";
inline constexpr const char* kAccessible = "org.a11y.atspi.Accessible";
// The bit of STATE_ACTIVE in the first word of GetState's answer.
inline constexpr std::uint32_t kStateActive = 1;

}  // namespace tavrine::atspi
