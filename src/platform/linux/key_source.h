// SPDX-License-Identifier: MIT
// A feed of key transitions from outside the program (the X server, the accessibility bus) that
// the main loop drains whenever its descriptor is readable.
#pragma once

#include <functional>

#include "platform/modifier_flags.h"

namespace tavrine::keys {

struct KeyHandlers {
  // A modifier key went down or up; the modifier word after the change.
  std::function<void(modifier::Flags flags)> flagsChanged;
  // Any other key went down (or repeats); the modifier word at the time.
  std::function<void(modifier::Flags flags)> keyDown;
};

class KeySource {
 public:
  virtual ~KeySource() = default;

  // Starts watching; false when the source cannot be watched. A started source ignores further
  // calls (and keeps its handlers).
  virtual bool start(KeyHandlers handlers) = 0;
  virtual bool isStarted() const = 0;
  // Readable when transitions may be waiting; -1 until started.
  virtual int fileDescriptor() const = 0;
  // Calls the handlers for every transition that has arrived; never waits. Main thread only.
  virtual void dispatchPending() = 0;
  // The modifier word as the keys seen so far leave it.
  virtual modifier::Flags flags() const = 0;
};

}  // namespace tavrine::keys
