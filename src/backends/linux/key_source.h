// SPDX-License-Identifier: MIT
// A feed of key transitions from outside the program (the X server, the accessibility bus, GNOME
// Shell) that the main loop drains whenever its descriptor is readable.
#pragma once

#include <chrono>
#include <functional>

#include "model/modifier_flags.h"

namespace tavrine::keys {

struct KeyHandlers {
  // A modifier key went down or up; the modifier word after the change.
  std::function<void(modifier::Flags flags)> flagsChanged;
  // Any other key went down (or repeats); the modifier word at the time.
  std::function<void(modifier::Flags flags)> keyDown;
  // Another window may have the keyboard now: the application in front may have changed.
  std::function<void()> frontChanged;
};

class KeySource {
 public:
  virtual ~KeySource() = default;

  // Starts watching; false when the source cannot be watched. A started source ignores further
  // calls (and keeps its handlers).
  virtual bool start(KeyHandlers handlers) = 0;
  virtual bool isStarted() const = 0;
  // Readable when transitions may be waiting; -1 until started, and -1 again once the source
  // has gone for good (its descriptor is then no longer watched).
  virtual int fileDescriptor() const = 0;
  // Calls the handlers for every transition that has arrived; never waits. Main thread only.
  virtual void dispatchPending() = 0;
  // The modifier word as the keys seen so far leave it.
  virtual modifier::Flags flags() const = 0;
};

// Several feeds may see the same key (an application under XWayland forwards its keys to the
// accessibility registry too; KWin hands modifier keys to XWayland; GNOME Shell's extension
// reports every key): a transition that repeats, within a moment, the one another feed just
// passed on is that same key seen again, and goes no further. Counted twice, a Ctrl press would
// restart the hold and a key press cancel it twice.
class FeedJoin {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kSameKeyWindow{50};

  // Whether the transition from `feed` (0 to 31) is to be passed on.
  bool admit(int feed, bool flagsChange, modifier::Flags flags, Clock::time_point now) {
    const unsigned bit = 1U << feed;
    const bool copy = (seenBy_ & bit) == 0 && flagsChange == lastFlagsChange_ &&
                      flags == lastFlags_ && now - lastTime_ < kSameKeyWindow;
    if (copy) {
      seenBy_ |= bit;
      return false;
    }
    seenBy_ = bit;  // a feed that reports again has a new key
    lastFlagsChange_ = flagsChange;
    lastFlags_ = flags;
    lastTime_ = now;
    return true;
  }

 private:
  unsigned seenBy_ = 0;  // the feeds that reported the last transition passed on
  bool lastFlagsChange_ = false;
  modifier::Flags lastFlags_ = 0;
  Clock::time_point lastTime_;
};

}  // namespace tavrine::keys
