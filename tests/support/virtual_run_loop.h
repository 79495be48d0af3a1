// SPDX-License-Identifier: MIT
// A run loop on a virtual clock that a test moves by hand. Posted tasks run before any timer, in
// the order posted, at the current time; timers fire in time order, ties in creation order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/run_loop.h"

namespace tavrine::doubles {

class VirtualRunLoop final : public RunLoopPort {
 public:
  TimerRef scheduleTimer(double seconds, bool repeats, TimerBlock block) override;
  void postToMainQueue(Task task) override;

  // Moves the clock forward by `seconds`, running every task and timer that comes due on the way,
  // then the tasks left at the end.
  void advance(double seconds);
  // Moves the clock to the next valid timer and fires it alone: what it posts waits for the next
  // advance. False when no timer is left.
  bool fireNextTimer();
  std::size_t liveTimerCount() const;

 private:
  struct VirtualTimer;
  // Runs the posted tasks (and those they post) without moving the clock.
  void runPostedTasks();
  std::shared_ptr<VirtualTimer> nextTimer() const;
  void fire(const std::shared_ptr<VirtualTimer>& timer);

  std::int64_t nowNs_ = 0;  // whole nanoseconds: 0.5 + 0.1 lands where a test expects it
  std::vector<std::shared_ptr<VirtualTimer>> timers_;
  std::deque<Task> posted_;
};

}  // namespace tavrine::doubles
