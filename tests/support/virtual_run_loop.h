// A run loop on a virtual clock that a test moves by hand. A turn is one posted task or one timer
// firing; posted tasks run before the next timer, in the order posted, at the current time.
// Timers fire in time order, ties in the order the timers were created.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/run_loop.h"

namespace tavrine::doubles {

class VirtualTimer final : public Timer {
 public:
  void invalidate() override { valid_ = false; }
  bool isValid() const override { return valid_; }

  double interval() const { return interval_; }
  bool repeats() const { return repeats_; }
  // When it fires next, in seconds of virtual time.
  double fireDate() const;
  std::size_t fireCount() const { return fireCount_; }

 private:
  friend class VirtualRunLoop;
  VirtualTimer(std::int64_t intervalNs, bool repeats, std::int64_t fireAtNs, std::uint64_t order,
               RunLoopPort::TimerBlock block);

  std::int64_t intervalNs_;
  double interval_;
  bool repeats_;
  std::int64_t fireAtNs_;
  std::uint64_t order_;
  RunLoopPort::TimerBlock block_;
  bool valid_ = true;
  std::size_t fireCount_ = 0;
};

class VirtualRunLoop final : public RunLoopPort {
 public:
  TimerRef scheduleTimer(double seconds, bool repeats, TimerBlock block) override;
  void postToMainQueue(Task task) override;

  // Virtual time in seconds since the loop was made.
  double now() const;

  // Moves the clock forward by `seconds`, running every turn that comes due on the way, then
  // every posted task left at the end.
  void advance(double seconds);
  // Moves the clock without running anything; what came due waits for runOneTurn or advance.
  void moveClock(double seconds);
  // Runs the next turn due now: the oldest posted task, else the earliest due timer. False
  // when nothing was due.
  bool runOneTurn();
  // Runs the posted tasks (and those they post) without firing timers or moving the clock.
  void runPostedTasks();

  std::size_t postedTaskCount() const { return posted_.size(); }
  // Valid timers, in creation order.
  std::vector<std::shared_ptr<VirtualTimer>> liveTimers() const;
  std::size_t liveTimerCount(double interval, bool repeats) const;
  std::size_t timersCreated() const { return created_; }

 private:
  std::shared_ptr<VirtualTimer> nextDueTimer(std::int64_t limitNs) const;
  void fire(const std::shared_ptr<VirtualTimer>& timer);
  void runTask();
  void prune();

  std::int64_t nowNs_ = 0;
  std::uint64_t created_ = 0;
  std::vector<std::shared_ptr<VirtualTimer>> timers_;  // valid ones, plus some spent until pruned
  std::deque<Task> posted_;
  bool running_ = false;
};

}  // namespace tavrine::doubles
