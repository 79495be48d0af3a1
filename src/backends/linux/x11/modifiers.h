// SPDX-License-Identifier: MIT
// The X keyboard's modifier state as the core's modifier word, and that state followed key by
// key: a raw key event arrives before the server has applied it, so the state after the event
// is worked out here from the key and the server's modifier mapping.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "model/modifier_flags.h"

namespace tavrine::x11 {

// The X core modifier masks (X.h), restated so that this header needs no X header.
namespace xmask {
inline constexpr unsigned kShift = 1U << 0;
inline constexpr unsigned kLock = 1U << 1;
inline constexpr unsigned kControl = 1U << 2;
inline constexpr unsigned kMod1 = 1U << 3;  // Alt, Meta
inline constexpr unsigned kMod2 = 1U << 4;  // Num Lock
inline constexpr unsigned kMod3 = 1U << 5;
inline constexpr unsigned kMod4 = 1U << 6;  // Super
inline constexpr unsigned kMod5 = 1U << 7;  // AltGr (ISO_Level3_Shift)
}  // namespace xmask

// Ctrl is Command (the primary modifier), Shift is Shift, Alt is Option, Super is Control and
// Lock is Caps Lock. Num Lock is ignored: it is commonly on and must not block the gesture; so
// are Mod3 and Mod5, which carry no modifier of the word.
modifier::Flags flagsFromXState(unsigned xState);

// The modifiers each keycode sets, from the server's modifier mapping; 0 for ordinary keys.
using ModifierMap = std::array<std::uint8_t, 256>;

// The modifier keys held and whether Caps Lock is locked, followed from key transitions.
class ModifierTracker {
 public:
  enum class Kind {
    none,          // nothing to report: a repeated press of a modifier, a repeated release
    flagsChanged,  // a modifier key went down or up
    keyDown,       // any other key went down (or repeats)
  };
  struct Outcome {
    Kind kind = Kind::none;
    modifier::Flags flags = 0;  // the modifier word after the key
    bool operator==(const Outcome&) const = default;
  };

  void setModifierMap(const ModifierMap& map) { map_ = map; }
  // Starts over from the server's answer: the keys down now and the locked modifiers.
  void seed(const std::bitset<256>& keysDown, unsigned lockedMods);

  Outcome press(unsigned keycode);
  Outcome release(unsigned keycode);

  // The core modifier state (X masks) after the keys seen so far.
  unsigned xState() const;
  modifier::Flags flags() const { return flagsFromXState(xState()); }

 private:
  // Keys that change the modifier word; keys of ignored modifiers (Num Lock) are ordinary keys.
  bool isModifierKey(unsigned keycode) const;
  bool isLockKey(unsigned keycode) const;

  ModifierMap map_{};
  std::bitset<256> down_;
  bool capsLocked_ = false;
  // Whether the Lock key now held locked Caps Lock when it went down: its release then keeps
  // the lock, where the release of a press that found it locked unlocks it.
  bool lockedByHeldKey_ = false;
};

}  // namespace tavrine::x11
