// SPDX-License-Identifier: MIT
#include "backends/linux/atspi/keystrokes.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tavrine::atspi {
namespace {

constexpr std::uint32_t kLockMask = 1U << 1;  // X's LockMask: Caps Lock is locked
constexpr std::uint32_t kCtrlMask = 1U << 2;
constexpr std::size_t kMaxPressed = 32;

struct ModifierKey {
  NamedKey key;
  modifier::Flags flag;
};

// Ctrl is Command, Alt (and Meta) Option, Super Control, as on X11. Caps Lock is a lock, handled
// apart; Num Lock and AltGr are ordinary keys here as there.
constexpr std::array<ModifierKey, 10> kModifierKeys{{
    {{0xffe3, "Control_L"}, modifier::kPrimary},
    {{0xffe4, "Control_R"}, modifier::kPrimary},
    {{0xffe1, "Shift_L"}, modifier::kShift},
    {{0xffe2, "Shift_R"}, modifier::kShift},
    {{0xffe9, "Alt_L"}, modifier::kAlt},
    {{0xffea, "Alt_R"}, modifier::kAlt},
    {{0xffe7, "Meta_L"}, modifier::kAlt},
    {{0xffe8, "Meta_R"}, modifier::kAlt},
    {{0xffeb, "Super_L"}, modifier::kControl},
    {{0xffec, "Super_R"}, modifier::kControl},
}};
constexpr NamedKey kCapsLock{0xffe5, "Caps_Lock"};
constexpr auto kNamedKeys = [] {
  std::array<NamedKey, kModifierKeys.size() + 1> keys{};
  for (std::size_t i = 0; i < kModifierKeys.size(); ++i)
    keys[i] = kModifierKeys[i].key;
  keys.back() = kCapsLock;
  return keys;
}();

// The index of the modifier key, or -1 for another key. The keysym decides; the name only when
// the toolkit gave no keysym that means anything.
int modifierIndex(const KeystrokeEvent& event) {
  for (std::size_t i = 0; i < kModifierKeys.size(); ++i) {
    if (kModifierKeys[i].key.keysym == event.keysym) return static_cast<int>(i);
  }
  if (event.keysym != 0 && event.keysym != 0xffffff) return -1;
  for (std::size_t i = 0; i < kModifierKeys.size(); ++i) {
    if (kModifierKeys[i].key.name == event.text) return static_cast<int>(i);
  }
  return -1;
}

bool isCapsLock(const KeystrokeEvent& event) {
  return event.keysym == kCapsLock.keysym ||
         ((event.keysym == 0 || event.keysym == 0xffffff) && event.text == kCapsLock.name);
}

// Presses and releases of one ordinary key are matched by keycode, which does not change with
// the modifiers (the keysym does: 'a' goes down, 'A' comes up under Shift).
std::uint32_t keyId(const KeystrokeEvent& event) {
  return event.keycode != 0 ? event.keycode
                            : 0x80000000U | static_cast<std::uint32_t>(event.keysym);
}

}  // namespace

std::span<const NamedKey> keysToHear(std::uint32_t mask) {
  if (mask & kCtrlMask) return {};
  return kNamedKeys;
}

modifier::Flags KeystrokeTracker::flags() const {
  modifier::Flags flags = capsLocked_ ? modifier::kCapsLock : 0;
  for (std::size_t i = 0; i < kModifierKeys.size(); ++i) {
    if (held_ & (1U << i)) flags |= kModifierKeys[i].flag;
  }
  return flags;
}

KeystrokeTracker::Outcome KeystrokeTracker::handle(const KeystrokeEvent& event) {
  const bool press = event.type == KeystrokeEvent::Type::press;
  if (isCapsLock(event)) {
    // Locked on its press; a press that found it locked unlocks it.
    if (press) capsLocked_ = (event.modifiers & kLockMask) == 0;
    return {Kind::flagsChanged, flags()};
  }
  // Only GTK's mask can be trusted to carry the lock; Qt on Wayland reports 0 throughout, and
  // an unknown lock had better not block the gesture.
  capsLocked_ = (event.modifiers & kLockMask) != 0;

  if (const int index = modifierIndex(event); index >= 0) {
    const unsigned bit = 1U << static_cast<unsigned>(index);
    if (press) {
      // A repeat: nothing changed, and reporting it would restart a pending hold.
      if (held_ & bit) return {};
      held_ |= bit;
    } else {
      // A release whose press went elsewhere still reports the word after it.
      held_ &= ~bit;
    }
    return {Kind::flagsChanged, flags()};
  }

  const std::uint32_t id = keyId(event);
  const auto found = std::find(pressed_.begin(), pressed_.end(), id);
  if (press) {
    if (found == pressed_.end()) {
      if (pressed_.size() >= kMaxPressed) pressed_.clear();  // releases that never came
      pressed_.push_back(id);
    }
    return {Kind::keyDown, flags()};
  }
  if (found != pressed_.end()) {
    // Its press was already counted, or came before the modifier: a key let go while Ctrl goes
    // down is not a shortcut.
    pressed_.erase(found);
    return {};
  }
  // A release without its press: the press fired a shortcut and was kept from the registry, or
  // came before Ctrl, when keys were not listened to (which counts the same).
  return {Kind::keyDown, flags()};
}

KeystrokeTracker::Outcome KeystrokeTracker::focusChanged() {
  pressed_.clear();
  if (held_ == 0) return {};
  held_ = 0;
  return {Kind::flagsChanged, flags()};
}

}  // namespace tavrine::atspi
