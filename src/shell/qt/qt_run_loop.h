// SPDX-License-Identifier: MIT
// The run-loop port on Qt's main event loop: precise timers and queued hand-offs to the main
// thread.
#pragma once

#include <cstddef>
#include <memory>

#include "ports/run_loop.h"

class QObject;

namespace tavrine::qt {

// Make it on the main thread, after the QApplication; use it from the main thread only, except
// postToMainQueue, which any thread may call (scheduling a timer from another thread is a fatal
// error). Destroying it invalidates every timer it started
// and drops the tasks that have not run yet.
class QtRunLoop final : public RunLoopPort {
 public:
  QtRunLoop();
  ~QtRunLoop() override;
  QtRunLoop(const QtRunLoop&) = delete;
  QtRunLoop& operator=(const QtRunLoop&) = delete;

  // A Qt::PreciseTimer (a coarse one may be late by 5 % of its interval, 25 ms of a 0.5 s hold).
  // Intervals are whole milliseconds, at least one.
  TimerRef scheduleTimer(double seconds, bool repeats, TimerBlock block) override;
  // A queued call on the main thread: it runs from the event loop in a turn of its own.
  void postToMainQueue(Task task) override;

  // Timers that are still valid (and so held by this run loop).
  std::size_t liveTimerCount() const;
  // The object that owns the Qt timers and receives the posted tasks, to inspect them with
  // QAbstractEventDispatcher::registeredTimers.
  const QObject* qtObject() const;

  class Host;

 private:
  std::unique_ptr<Host> host_;
};

}  // namespace tavrine::qt
