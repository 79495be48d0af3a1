#include "support/virtual_run_loop.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace tavrine::doubles {
namespace {

// Whole nanoseconds, so that 0.5 + 0.1 + 0.1 lands exactly where a test expects it.
std::int64_t toNs(double seconds) {
  return std::llround(seconds * 1e9);
}
double toSeconds(std::int64_t ns) {
  return static_cast<double>(ns) / 1e9;
}

// Platforms clamp tiny repeating intervals; without this a zero interval would never let the
// clock move.
constexpr std::int64_t kMinIntervalNs = 100'000;

// Marks a turn as running, so that a callback that drives the loop again fails loudly.
class TurnGuard {
 public:
  explicit TurnGuard(bool& running) : running_(running) {
    if (running_) throw std::logic_error("VirtualRunLoop driven from inside one of its turns");
    running_ = true;
  }
  ~TurnGuard() { running_ = false; }
  TurnGuard(const TurnGuard&) = delete;
  TurnGuard& operator=(const TurnGuard&) = delete;

 private:
  bool& running_;
};

}  // namespace

VirtualTimer::VirtualTimer(std::int64_t intervalNs, bool repeats, std::int64_t fireAtNs,
                           std::uint64_t order, RunLoopPort::TimerBlock block)
    : intervalNs_(intervalNs),
      interval_(toSeconds(intervalNs)),
      repeats_(repeats),
      fireAtNs_(fireAtNs),
      order_(order),
      block_(std::move(block)) {}

double VirtualTimer::fireDate() const {
  return toSeconds(fireAtNs_);
}

TimerRef VirtualRunLoop::scheduleTimer(double seconds, bool repeats, TimerBlock block) {
  const std::int64_t intervalNs = std::max(toNs(seconds), kMinIntervalNs);
  auto timer = std::shared_ptr<VirtualTimer>(
      new VirtualTimer(intervalNs, repeats, nowNs_ + intervalNs, created_++, std::move(block)));
  timers_.push_back(timer);
  return timer;
}

void VirtualRunLoop::postToMainQueue(Task task) {
  posted_.push_back(std::move(task));
}

double VirtualRunLoop::now() const {
  return toSeconds(nowNs_);
}

std::shared_ptr<VirtualTimer> VirtualRunLoop::nextDueTimer(std::int64_t limitNs) const {
  std::shared_ptr<VirtualTimer> best;
  for (const auto& t : timers_) {
    if (!t->valid_ || t->fireAtNs_ > limitNs) continue;
    if (!best || t->fireAtNs_ < best->fireAtNs_ ||
        (t->fireAtNs_ == best->fireAtNs_ && t->order_ < best->order_)) {
      best = t;
    }
  }
  return best;
}

void VirtualRunLoop::fire(const std::shared_ptr<VirtualTimer>& timer) {
  TurnGuard guard(running_);
  ++timer->fireCount_;
  if (timer->repeats_) {
    // A late timer fires once, then keeps to its schedule.
    do {
      timer->fireAtNs_ += timer->intervalNs_;
    } while (timer->fireAtNs_ <= nowNs_);
  }
  // The block may drop every other reference to the timer, and to itself through it.
  const std::shared_ptr<VirtualTimer> keep = timer;
  const TimerBlock block = timer->block_;
  block(*keep);
  if (!keep->repeats_) keep->valid_ = false;
  prune();
}

void VirtualRunLoop::runTask() {
  TurnGuard guard(running_);
  Task task = std::move(posted_.front());
  posted_.pop_front();
  task();
}

void VirtualRunLoop::prune() {
  std::erase_if(timers_, [](const auto& t) { return !t->valid_; });
}

bool VirtualRunLoop::runOneTurn() {
  if (!posted_.empty()) {
    runTask();
    return true;
  }
  if (std::shared_ptr<VirtualTimer> timer = nextDueTimer(nowNs_)) {
    fire(timer);
    return true;
  }
  return false;
}

void VirtualRunLoop::runPostedTasks() {
  while (!posted_.empty())
    runTask();
}

void VirtualRunLoop::advance(double seconds) {
  if (running_) throw std::logic_error("VirtualRunLoop driven from inside one of its turns");
  const std::int64_t targetNs = nowNs_ + std::max<std::int64_t>(toNs(seconds), 0);
  for (;;) {
    runPostedTasks();
    std::shared_ptr<VirtualTimer> timer = nextDueTimer(targetNs);
    if (!timer) break;
    nowNs_ = std::max(nowNs_, timer->fireAtNs_);
    fire(timer);
  }
  nowNs_ = targetNs;
}

void VirtualRunLoop::moveClock(double seconds) {
  nowNs_ += std::max<std::int64_t>(toNs(seconds), 0);
}

std::vector<std::shared_ptr<VirtualTimer>> VirtualRunLoop::liveTimers() const {
  std::vector<std::shared_ptr<VirtualTimer>> live;
  for (const auto& t : timers_)
    if (t->valid_) live.push_back(t);
  return live;
}

std::size_t VirtualRunLoop::liveTimerCount(double interval, bool repeats) const {
  const std::int64_t intervalNs = std::max(toNs(interval), kMinIntervalNs);
  return static_cast<std::size_t>(std::count_if(timers_.begin(), timers_.end(), [&](const auto& t) {
    return t->valid_ && t->intervalNs_ == intervalNs && t->repeats_ == repeats;
  }));
}

}  // namespace tavrine::doubles
