// SPDX-License-Identifier: MIT
// A run loop on a virtual clock that a test moves by hand. Posted tasks run before any timer, in
// the order posted (from any thread), at the current time; timers fire in time order, ties in
// creation order.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "ports/run_loop.h"

namespace tavrine::doubles {

class VirtualRunLoop final : public RunLoopPort {
 public:
  TimerRef scheduleTimer(double seconds, bool repeats, TimerBlock block) override {
    auto timer = std::make_shared<VirtualTimer>();
    // Platforms clamp tiny intervals; a zero one would never let the clock move.
    timer->intervalNs = std::max<std::int64_t>(std::llround(seconds * 1e9), 100'000);
    timer->repeats = repeats;
    timer->fireAtNs = nowNs_ + timer->intervalNs;
    timer->block = std::move(block);
    timers_.push_back(timer);
    return timer;
  }
  void postToMainQueue(Task task) override {
    const std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(task));
  }

  // Moves the clock forward by `seconds`, running every task and timer that comes due on the way,
  // then the tasks left at the end.
  void advance(double seconds) {
    const std::int64_t targetNs = nowNs_ + std::llround(seconds * 1e9);
    for (;;) {
      runPostedTasks();
      const std::shared_ptr<VirtualTimer> timer = nextTimer();
      if (!timer || timer->fireAtNs > targetNs) break;
      fire(timer);
    }
    nowNs_ = std::max(nowNs_, targetNs);
  }
  // Moves the clock to the next valid timer and fires it alone: what it posts waits for the next
  // advance. False when no timer is left.
  bool fireNextTimer() {
    const std::shared_ptr<VirtualTimer> timer = nextTimer();
    if (timer) fire(timer);
    return timer != nullptr;
  }
  std::size_t liveTimerCount() const {
    return static_cast<std::size_t>(
        std::count_if(timers_.begin(), timers_.end(), [](const auto& t) { return t->valid; }));
  }

 private:
  struct VirtualTimer final : Timer {
    void invalidate() override { valid = false; }
    bool isValid() const override { return valid; }
    std::int64_t intervalNs = 0;
    bool repeats = false;
    std::int64_t fireAtNs = 0;
    TimerBlock block;
    bool valid = true;
  };

  // Runs the posted tasks (and those they post) without moving the clock.
  void runPostedTasks() {
    for (;;) {
      Task task;
      {
        const std::lock_guard lock(postedMutex_);
        if (posted_.empty()) return;
        task = std::move(posted_.front());
        posted_.pop_front();
      }
      task();
    }
  }
  // The first of the earliest: timers_ is in creation order.
  std::shared_ptr<VirtualTimer> nextTimer() const {
    std::shared_ptr<VirtualTimer> best;
    for (const auto& t : timers_)
      if (t->valid && (!best || t->fireAtNs < best->fireAtNs)) best = t;
    return best;
  }
  void fire(const std::shared_ptr<VirtualTimer>& timer) {
    nowNs_ = std::max(nowNs_, timer->fireAtNs);
    while (timer->fireAtNs <= nowNs_)  // a late repeating timer fires once
      timer->fireAtNs += timer->intervalNs;
    if (!timer->repeats) timer->valid = false;
    // Copied: the block may drop the last other reference to its timer.
    const std::shared_ptr<VirtualTimer> keep = timer;
    const TimerBlock block = timer->block;
    block(*keep);
    std::erase_if(timers_, [](const auto& t) { return !t->valid; });
  }

  std::int64_t nowNs_ = 0;  // whole nanoseconds: 0.5 + 0.1 lands where a test expects it
  std::vector<std::shared_ptr<VirtualTimer>> timers_;
  std::mutex postedMutex_;  // other threads post too
  std::deque<Task> posted_;
};

}  // namespace tavrine::doubles
