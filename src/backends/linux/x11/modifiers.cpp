// SPDX-License-Identifier: MIT
#include "backends/linux/x11/modifiers.h"

namespace tavrine::x11 {
namespace {

constexpr unsigned kWordModifiers =
    xmask::kShift | xmask::kLock | xmask::kControl | xmask::kMod1 | xmask::kMod4;

}  // namespace

modifier::Flags flagsFromXState(unsigned xState) {
  modifier::Flags flags = 0;
  if (xState & xmask::kControl) flags |= modifier::kPrimary;
  if (xState & xmask::kShift) flags |= modifier::kShift;
  if (xState & xmask::kMod1) flags |= modifier::kAlt;
  if (xState & xmask::kMod4) flags |= modifier::kControl;
  if (xState & xmask::kLock) flags |= modifier::kCapsLock;
  return flags;
}

void ModifierTracker::seed(const std::bitset<256>& keysDown, unsigned lockedMods) {
  down_ = keysDown;
  capsLocked_ = (lockedMods & xmask::kLock) != 0;
  // Unknown for a Lock key already held; assume its press locked, the common case.
  lockedByHeldKey_ = capsLocked_;
}

bool ModifierTracker::isModifierKey(unsigned keycode) const {
  return keycode < map_.size() && (map_[keycode] & kWordModifiers) != 0;
}

bool ModifierTracker::isLockKey(unsigned keycode) const {
  return keycode < map_.size() && (map_[keycode] & xmask::kLock) != 0;
}

ModifierTracker::Outcome ModifierTracker::press(unsigned keycode) {
  if (keycode >= down_.size()) return {};
  const bool modifierKey = isModifierKey(keycode);
  if (down_.test(keycode)) {
    // A repeat, or the same press reported twice: the modifier state has not changed, and
    // reporting it again would restart a pending hold.
    if (modifierKey) return {};
    return {Kind::keyDown, flags()};
  }
  down_.set(keycode);
  if (isLockKey(keycode)) {
    lockedByHeldKey_ = !capsLocked_;
    capsLocked_ = true;
  }
  return {modifierKey ? Kind::flagsChanged : Kind::keyDown, flags()};
}

ModifierTracker::Outcome ModifierTracker::release(unsigned keycode) {
  // A key that is not down: a release reported twice changes nothing.
  if (keycode >= down_.size() || !down_.test(keycode)) return {};
  down_.reset(keycode);
  if (isLockKey(keycode)) {
    if (!lockedByHeldKey_) capsLocked_ = false;
    lockedByHeldKey_ = false;
  }
  if (!isModifierKey(keycode)) return {};
  return {Kind::flagsChanged, flags()};
}

unsigned ModifierTracker::xState() const {
  unsigned state = capsLocked_ ? xmask::kLock : 0U;
  for (unsigned keycode = 0; keycode < map_.size(); ++keycode) {
    if (map_[keycode] != 0 && down_.test(keycode)) state |= map_[keycode];
  }
  return state;
}

}  // namespace tavrine::x11
