// SPDX-License-Identifier: MIT
// Key events as toolkits forward them to the accessibility registry, turned into the modifier
// changes and key presses the hold detection works on. On a Wayland desktop this is the only
// place other applications' keys can be seen without privileges.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/modifier_flags.h"

namespace tavrine::atspi {

// One org.a11y.atspi.DeviceEventListener.NotifyEvent, "(uiuuisb)".
struct KeystrokeEvent {
  enum class Type : std::uint32_t { press = 0, release = 1 };
  Type type = Type::press;
  std::int32_t keysym = 0;      // "id": the X keysym (GTK 3, Qt on X11 and on Wayland)
  std::uint32_t keycode = 0;    // "hw_code": the hardware keycode
  std::uint32_t modifiers = 0;  // X modifier mask; toolkits disagree on before or after the key
  std::string text;             // "event_string": the text typed, or the key's name
};

// A key the tracker knows by keysym, and by the event string toolkits send for it.
struct NamedKey {
  std::int32_t keysym;
  std::string_view name;
};
// The keys to hear under one modifier mask (an event's low eight modifier bits, GTK's X mask or
// Qt's accessibility set; Ctrl is 0x4 in both): every key (none named) while Ctrl is down, else
// the modifier keys and Caps Lock alone, whose state matters when Ctrl goes down.
std::span<const NamedKey> keysToHear(std::uint32_t mask);

// The keys held, followed event by event. Toolkits differ in what they forward, so the state
// comes from the keys themselves, not from the events' modifier masks: Qt reports 0 on the
// release of Ctrl where GTK 3 reports the mask before it (0x4), and Qt does not forward the
// press of a key that fired a shortcut (only its release arrives).
class KeystrokeTracker {
 public:
  enum class Kind {
    none,          // a repeated modifier press, the release of a key whose press was seen
    flagsChanged,  // a modifier key went down or up
    keyDown,       // another key went down, or came up without its press having been seen
  };
  struct Outcome {
    Kind kind = Kind::none;
    modifier::Flags flags = 0;  // the modifier word after the event
    bool operator==(const Outcome&) const = default;
  };

  Outcome handle(const KeystrokeEvent& event);
  // The keyboard went to another application, which will not forward the releases of keys held
  // now: they count as released (a flags change when any modifier was held).
  Outcome focusChanged();

  modifier::Flags flags() const;

 private:
  // Bits of the modifier keys held, one per key (left and right apart).
  unsigned held_ = 0;
  bool capsLocked_ = false;
  // Ordinary keys whose press was seen and whose release has not come yet.
  std::vector<std::uint32_t> pressed_;
};

}  // namespace tavrine::atspi
