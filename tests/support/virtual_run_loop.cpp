// SPDX-License-Identifier: MIT
#include "support/virtual_run_loop.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tavrine::doubles {

struct VirtualRunLoop::VirtualTimer final : Timer {
  void invalidate() override { valid = false; }
  bool isValid() const override { return valid; }
  std::int64_t intervalNs = 0;
  bool repeats = false;
  std::int64_t fireAtNs = 0;
  TimerBlock block;
  bool valid = true;
};

TimerRef VirtualRunLoop::scheduleTimer(double seconds, bool repeats, TimerBlock block) {
  auto timer = std::make_shared<VirtualTimer>();
  // Platforms clamp tiny intervals; a zero one would never let the clock move.
  timer->intervalNs = std::max<std::int64_t>(std::llround(seconds * 1e9), 100'000);
  timer->repeats = repeats;
  timer->fireAtNs = nowNs_ + timer->intervalNs;
  timer->block = std::move(block);
  timers_.push_back(timer);
  return timer;
}

void VirtualRunLoop::postToMainQueue(Task task) {
  posted_.push_back(std::move(task));
}

std::shared_ptr<VirtualRunLoop::VirtualTimer> VirtualRunLoop::nextTimer() const {
  // The first of the earliest: timers_ is in creation order.
  std::shared_ptr<VirtualTimer> best;
  for (const auto& t : timers_)
    if (t->valid && (!best || t->fireAtNs < best->fireAtNs)) best = t;
  return best;
}

void VirtualRunLoop::fire(const std::shared_ptr<VirtualTimer>& timer) {
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

void VirtualRunLoop::advance(double seconds) {
  const std::int64_t targetNs = nowNs_ + std::llround(seconds * 1e9);
  for (;;) {
    runPostedTasks();
    const std::shared_ptr<VirtualTimer> timer = nextTimer();
    if (!timer || timer->fireAtNs > targetNs) break;
    fire(timer);
  }
  nowNs_ = std::max(nowNs_, targetNs);
}

bool VirtualRunLoop::fireNextTimer() {
  const std::shared_ptr<VirtualTimer> timer = nextTimer();
  if (timer) fire(timer);
  return timer != nullptr;
}

void VirtualRunLoop::runPostedTasks() {
  while (!posted_.empty()) {
    const Task task = std::move(posted_.front());
    posted_.pop_front();
    task();
  }
}

std::size_t VirtualRunLoop::liveTimerCount() const {
  return static_cast<std::size_t>(
      std::count_if(timers_.begin(), timers_.end(), [](const auto& t) { return t->valid; }));
}

}  // namespace tavrine::doubles
