// SPDX-License-Identifier: MIT
// Names on the accessibility bus that both the menu reader and the key listener use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/unicode.h"

namespace tavrine::atspi {

inline constexpr const char* kRegistry = "org.a11y.atspi.Registry";
inline constexpr const char* kRootPath = "/org/a11y/atspi/accessible/root";
inline constexpr const char* kAccessible = "org.a11y.atspi.Accessible";
// The bit of STATE_ACTIVE in the first word of GetState's answer.
inline constexpr std::uint32_t kStateActive = 1;

// Bounds on what other processes hand us, applied before anything is copied: a message may be
// 128 MiB. Texts are cut between characters (titles, names); anything a cut would change the
// meaning of (key bindings, object paths, addresses) is refused whole when longer.
using text::kMaxTitleBytes;
inline constexpr std::size_t kMaxKeyNameBytes = 64;
inline constexpr std::size_t kMaxBusNameBytes = 255;
inline constexpr std::size_t kMaxPathBytes = 1024;
inline constexpr std::size_t kMaxAddressBytes = 4096;

}  // namespace tavrine::atspi
