// SPDX-License-Identifier: MIT
// The hold: the trigger key alone, held for the hold duration (kHoldDuration unless the user set
// another), asks for the overlay. Every modifier change or key press ends a pending hold; a hold's
// completion and its early read go ahead only if nothing came in since it began.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "ports/run_loop.h"

namespace tavrine {

class HoldTrigger {
 public:
  static constexpr double kHoldDuration = 0.5;
  // When, into a hold, the sources are asked about the application in front: late enough that
  // an ordinary Ctrl+key has had its key, early enough that a read that runs into its deadline
  // (a quarter of a second) is back before the hold completes. A shorter hold reads half way.
  static constexpr double kReadStart = 0.2;

  // `readDue` runs kReadStart into a hold; `completed` in a later turn of the main queue once
  // the hold time is up. Neither runs once `owner` is gone.
  HoldTrigger(RunLoopPort& runLoop, std::function<void()> readDue, std::function<void()> completed);
  void setOwner(std::weak_ptr<const void> owner) { owner_ = std::move(owner); }
  // From the next hold on.
  void setDuration(double seconds) { duration_ = seconds; }
  double duration() const { return duration_; }

  // A modifier change: the pending hold stops counting (arm or end follows).
  void interrupt();
  // No hold is on any more.
  void end();
  // Command alone: a new hold begins.
  void arm();
  // A key press: an ordinary shortcut, never a hold.
  void keyPressed() {
    interrupt();
    end();
  }

  // Counts modifier changes and key presses.
  std::uint64_t generation() const { return generation_; }
  // A hold is pending, or completed with Command still down alone.
  bool on() const { return press_ != nullptr; }
  // A hold completed and Command is still down alone.
  bool completed() const { return press_ && !press_->isValid(); }

 private:
  RunLoopPort& runLoop_;
  std::function<void()> readDue_;
  std::function<void()> completed_;
  std::weak_ptr<const void> owner_;
  double duration_ = kHoldDuration;
  std::uint64_t generation_ = 0;
  // The pending hold (one-shot); after it fired it still refers to the spent timer until the
  // next modifier change or key press.
  TimerRef press_;
  // The pending hold's read (one-shot), cancelled with the hold.
  TimerRef read_;
};

}  // namespace tavrine
