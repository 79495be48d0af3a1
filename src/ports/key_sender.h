// SPDX-License-Identifier: MIT
// The key sender port: types a shortcut's chord into the application that has the keyboard, as
// if the user had pressed it. How a pinned overlay runs a row no menu item stands behind.
#pragma once

#include "model/key_chord.h"
#include "ports/focus.h"

namespace tavrine {

class KeySenderPort {
 public:
  using WindowHandle = FocusPort::WindowHandle;

  virtual ~KeySenderPort() = default;
  // Whether the keyboard, in its layout of this moment, has keys that type `chord`.
  virtual bool canType(const KeyChord& chord) const = 0;
  // Whether keys sent now would reach `window` as sent: it (or a window inside it) has the
  // keyboard, and the user holds no modifier that would join the chord.
  virtual bool readyFor(WindowHandle window) const = 0;
  // Presses the chord's modifiers, presses and releases its key, and releases the modifiers, if
  // `window` is ready for them, checked and sent as one step that no other client can come
  // between; false, with nothing sent, when it is not or the layout cannot type the chord.
  virtual bool send(WindowHandle window, const KeyChord& chord) = 0;
};

}  // namespace tavrine
