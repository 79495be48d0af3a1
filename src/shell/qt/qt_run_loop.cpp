// SPDX-License-Identifier: MIT
#include "shell/qt/qt_run_loop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimerEvent>
#include <chrono>
#include <climits>
#include <cmath>
#include <unordered_map>
#include <utility>

namespace tavrine::qt {
namespace {

std::chrono::milliseconds intervalOf(double seconds) {
  // The port asks for a positive interval; anything else fires as soon as it can.
  if (!(seconds > 0)) return std::chrono::milliseconds(1);
  const double ms = std::round(seconds * 1000.0);
  if (ms < 1) return std::chrono::milliseconds(1);
  if (ms > INT_MAX) return std::chrono::milliseconds(INT_MAX);  // Qt keeps intervals in an int
  return std::chrono::milliseconds(static_cast<long long>(ms));
}

}  // namespace

// Owns the Qt timers (one QObject for all of them) and every valid timer, so that a caller may
// drop its reference. Lives on the main thread.
class QtRunLoop::Host final : public QObject {
 public:
  class Timer;

  ~Host() override;

  std::shared_ptr<Timer> start(std::chrono::milliseconds interval, bool repeats, TimerBlock block);
  void cancel(int id);
  std::size_t liveCount() const { return timers_.size(); }

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  std::unordered_map<int, std::shared_ptr<Timer>> timers_;
};

class QtRunLoop::Host::Timer final : public tavrine::Timer {
 public:
  Timer(Host* host, bool repeats, TimerBlock block)
      : host_(host), repeats_(repeats), block_(std::move(block)) {}

  void invalidate() override {
    if (!valid_) return;
    valid_ = false;
    // Last: the host may hold the only reference to this timer.
    if (Host* host = std::exchange(host_, nullptr)) host->cancel(id_);
  }
  bool isValid() const override { return valid_; }

 private:
  friend class Host;
  Host* host_;
  int id_ = 0;
  bool repeats_;
  bool valid_ = true;
  TimerBlock block_;
};

QtRunLoop::Host::~Host() {
  // Timers the caller still holds turn invalid; they no longer reach this host.
  for (auto& [id, timer] : timers_) {
    timer->valid_ = false;
    timer->host_ = nullptr;
    killTimer(id);
  }
}

std::shared_ptr<QtRunLoop::Host::Timer> QtRunLoop::Host::start(std::chrono::milliseconds interval,
                                                               bool repeats, TimerBlock block) {
  // Qt starts timers only on the thread of their object and otherwise returns no timer: the
  // caller's hold or poll would silently never happen. A caller on another thread is a bug.
  if (QThread::currentThread() != thread()) {
    qFatal(
        "QtRunLoop: a timer was scheduled from a thread other than the main thread; "
        "post to the main queue and schedule it from there");
  }
  auto timer = std::make_shared<Timer>(this, repeats, std::move(block));
  timer->id_ = startTimer(interval, Qt::PreciseTimer);
  if (timer->id_ == 0) {
    // Qt could not start it: a timer that will never fire is reported as spent.
    timer->valid_ = false;
    timer->host_ = nullptr;
    return timer;
  }
  timers_.emplace(timer->id_, timer);
  return timer;
}

void QtRunLoop::Host::cancel(int id) {
  killTimer(id);
  // Released after the map is consistent again, in case it is the last reference.
  std::shared_ptr<Timer> released;
  if (auto it = timers_.find(id); it != timers_.end()) {
    released = std::move(it->second);
    timers_.erase(it);
  }
}

void QtRunLoop::Host::timerEvent(QTimerEvent* event) {
  const int id = event->timerId();
  auto it = timers_.find(id);
  if (it == timers_.end()) {
    // Invalidated after Qt had already picked it as due: it must not fire.
    killTimer(id);
    return;
  }
  // Keeps the timer (and its block) alive while the block runs, even if it invalidates itself.
  const std::shared_ptr<Timer> timer = it->second;
  if (!timer->valid_) return;
  if (!timer->repeats_) {
    timer->valid_ = false;
    timer->host_ = nullptr;
    killTimer(id);
    timers_.erase(it);
  }
  timer->block_(*timer);
}

QtRunLoop::QtRunLoop() : host_(std::make_unique<Host>()) {
  if (QCoreApplication* app = QCoreApplication::instance()) {
    if (host_->thread() != app->thread()) host_->moveToThread(app->thread());
  }
}

QtRunLoop::~QtRunLoop() = default;

TimerRef QtRunLoop::scheduleTimer(double seconds, bool repeats, TimerBlock block) {
  return host_->start(intervalOf(seconds), repeats, std::move(block));
}

void QtRunLoop::postToMainQueue(Task task) {
  // A queued call is delivered by the host's (the main) thread's event loop, after the current
  // callback has returned; queued calls to one receiver are delivered in the order posted.
  QMetaObject::invokeMethod(
      host_.get(), [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

std::size_t QtRunLoop::liveTimerCount() const {
  return host_->liveCount();
}

const QObject* QtRunLoop::qtObject() const {
  return host_.get();
}

}  // namespace tavrine::qt
