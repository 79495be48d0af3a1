// SPDX-License-Identifier: MIT
// The pinned overlay: kept after the release, searched from the keyboard, and closed by Esc, a
// click outside or running a row, after which the keyboard goes back where it was. The
// keyboard's way to pin: with the overlay up, Shift pressed and released twice while Command
// stays down and no other key is pressed (no application shortcut is a modifier alone).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/read_cycle.h"
#include "app/worker.h"
#include "ports/panel.h"
#include "ports/platform.h"

namespace tavrine {

class PinnedOverlay {
 public:
  // A row run by its chord waits, polling this often and this long, for the keyboard to be back
  // in the application's window; past the wait nothing is typed.
  static constexpr double kChordPollInterval = 0.02;
  static constexpr double kChordWait = 1.0;

  // `hide` takes the overlay off screen (and calls unpinned); `worker` is the owner's.
  PinnedOverlay(const Platform& platform, std::shared_ptr<Worker>& worker,
                std::function<void()> hide);
  void setOwner(std::weak_ptr<const void> owner) { owner_ = std::move(owner); }

  bool pinned() const { return pinned_; }
  // An overlay came on screen with these rows, read from `pid`.
  void shown(std::int32_t pid, ReadCycle::AnswerRef answer);
  // Follows the pinning gesture (Shift tapped twice under `trigger`, the hold's key); true when
  // this change completed it.
  bool followGesture(modifier::Flags flags, modifier::Flags trigger);
  // A key joined: an ordinary shortcut, not the gesture.
  void keyPressed() { gesture_ = {}; }
  // Pins `window`, which takes the keyboard from the window that has it.
  void pin(Panel& window);
  // The window the keyboard goes back to, when not the one that had it at the pin.
  void giveBackTo(FocusPort::WindowHandle window) { focusBefore_ = window; }
  void unpinned() { pinned_ = false; }
  // Closes the pinned overlay; true when the keyboard went back to the window that had it.
  bool close();
  void lostKeyboard();
  bool runShortcut(const ShortcutItem* item);

 private:
  struct PinGesture {
    bool armed = false;  // an overlay came up during this hold of Command
    bool shiftDown = false;
    int taps = 0;
  };
  void pressed(std::uint64_t serial, bool done);
  // Runs `item` by typing its chord into the window that had the keyboard, once it has it
  // again; false, with the overlay left as it is, when its chord cannot be typed here.
  bool typeChord(const ShortcutItem& item);
  FocusPort::WindowHandle focused() const {
    return platform_.focus ? platform_.focus->focusedWindow() : 0;
  }

  Platform platform_;
  std::shared_ptr<Worker>& worker_;
  std::function<void()> hide_;
  std::weak_ptr<const void> owner_;
  bool pinned_ = false;
  // The window that had the keyboard before the overlay was pinned.
  FocusPort::WindowHandle focusBefore_ = 0;
  // Awaits the keyboard's return before a row's chord is typed.
  TimerRef chordWait_;
  PinGesture gesture_;
  // The application whose overlay was shown last: its menu bar runs the rows.
  std::int32_t shownPid_ = 0;
  // The rows of the overlay shown last, with their sources, and its count.
  ReadCycle::AnswerRef shown_;
  std::uint64_t shownSerial_ = 0;
  bool pressPending_ = false;
};

}  // namespace tavrine
