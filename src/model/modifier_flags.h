// SPDX-License-Identifier: MIT
// The modifier word carried by events and read from the live keyboard state, each bit named for
// what the key means: primary is Command on macOS and Ctrl on Linux; control is Control on macOS
// and Super on Linux. Backends map their keyboard onto these bits.
#pragma once

#include <cstdint>

namespace tavrine::modifier {

using Flags = std::uint64_t;

inline constexpr Flags kCapsLock = 0x10000;     // bit 16
inline constexpr Flags kShift = 0x20000;        // bit 17
inline constexpr Flags kControl = 0x40000;      // bit 18
inline constexpr Flags kAlt = 0x80000;          // bit 19, Option on macOS
inline constexpr Flags kPrimary = 0x100000;     // bit 20
inline constexpr Flags kNumericPad = 0x200000;  // bit 21
inline constexpr Flags kHelp = 0x400000;        // bit 22
inline constexpr Flags kFunction = 0x800000;    // bit 23

// The bits that mean the same on every keyboard; the low bits tell left from right keys and
// take no part in any decision here.
inline constexpr Flags kDeviceIndependentMask = 0xFFFF0000;

}  // namespace tavrine::modifier
