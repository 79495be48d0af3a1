// SPDX-License-Identifier: MIT
// The key sender on X11: XTEST key events for a chord, its key found in the keyboard's XKB
// layout of the moment (keycode and shift level), so that a shortcut on a German or French
// keyboard presses the key that types its character there. Sent only while the user holds no
// modifier: a held one would join the chord, and releasing it for the user would leave the
// server's idea of the keyboard and the user's hands apart.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ports/key_sender.h"

namespace tavrine::x11 {

class X11Display;

// The X keysym a chord's key stands for, a letter in lower case (the chord's Shift says whether
// it is shifted); 0 when X names no such key: a modifier alone, a cap of several characters, a
// named key without a keysym.
unsigned long chordKeysym(const KeyChord::Key& key);

// A key of the layout: its keycode and the X modifiers that select the level of the keysym.
struct LayoutKey {
  unsigned keycode = 0;
  unsigned levelMods = 0;
};
// Per X modifier (Shift, Lock, Control, Mod1..Mod5, by bit), a key that sets it, or 0.
using ModifierKeys = std::array<unsigned, 8>;
// An XTEST event: a keycode, pressed (true) or released.
using KeyEvent = std::pair<unsigned, bool>;

// The events that type `chord` with `key`: the modifiers it and the key's level need go down,
// the key goes down and up, the modifiers go up in reverse order. None when a modifier has no
// key.
std::optional<std::vector<KeyEvent>> chordEvents(const KeyChord& chord, LayoutKey key,
                                                 const ModifierKeys& modifierKeys);

class X11KeySender final : public KeySenderPort {
 public:
  // A connection of its own to `displayName` (empty: $DISPLAY); without an X server, XTEST or
  // XKB nothing can be typed.
  explicit X11KeySender(const std::string& displayName = {});
  ~X11KeySender() override;
  X11KeySender(const X11KeySender&) = delete;
  X11KeySender& operator=(const X11KeySender&) = delete;

  bool canType(const KeyChord& chord) const override;
  // The input focus is `window` or inside it, the window manager (where there is one) has made
  // it the active window, and no modifier key is down or latched.
  bool readyFor(WindowHandle window) const override;
  // Holds the server from the check to the last key, so that no other client moves the
  // keyboard in between.
  bool send(WindowHandle window, const KeyChord& chord) override;

  // The events that type `chord` in the layout and group of this moment; none when it cannot be
  // typed.
  std::optional<std::vector<KeyEvent>> eventsFor(const KeyChord& chord) const;

 private:
  std::unique_ptr<X11Display> display_;
  bool usable_ = false;
};

}  // namespace tavrine::x11
