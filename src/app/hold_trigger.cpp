// SPDX-License-Identifier: MIT
#include "app/hold_trigger.h"

#include <algorithm>
#include <utility>

namespace tavrine {

HoldTrigger::HoldTrigger(RunLoopPort& runLoop, std::function<void()> readDue,
                         std::function<void()> completed)
    : runLoop_(runLoop), readDue_(std::move(readDue)), completed_(std::move(completed)) {}

void HoldTrigger::interrupt() {
  ++generation_;
  if (press_) press_->invalidate();
  if (read_) read_->invalidate();
  read_.reset();
}

void HoldTrigger::end() {
  if (press_) press_->invalidate();
  press_.reset();
}

void HoldTrigger::arm() {
  // The read starts during the hold, so that its answer is there when the hold completes.
  read_ = runLoop_.scheduleTimer(std::min(kReadStart, duration_ / 2), false,
                                 [this, owner = owner_, generation = generation_](Timer&) {
                                   const auto alive = owner.lock();
                                   if (alive && generation_ == generation) readDue_();
                                 });
  press_ = runLoop_.scheduleTimer(duration_, false,
                                  [this, owner = owner_, generation = generation_](Timer&) {
                                    if (owner.expired()) return;
                                    // The show runs in a later turn of the main queue, not inside
                                    // the timer callback.
                                    runLoop_.postToMainQueue([this, owner, generation] {
                                      const auto alive = owner.lock();
                                      // A modifier change or key press that came in between ended
                                      // this hold: the user has let go or typed a shortcut, so
                                      // showing now would be wrong.
                                      if (alive && generation_ == generation) completed_();
                                    });
                                  });
}

}  // namespace tavrine
