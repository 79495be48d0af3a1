// SPDX-License-Identifier: MIT
// The run-loop port: timers on the main thread and asynchronous hand-offs to the main queue.
// Everything the core decides happens on the main thread; these are its only ways to act later,
// and postToMainQueue is how the core's worker hands a result back.
#pragma once

#include <functional>
#include <memory>

namespace tavrine {

class Timer {
 public:
  virtual ~Timer() = default;

  // Stops the timer for good, at once: a timer invalidated before or during another callback
  // never fires again, even when it was already due. Harmless on a timer that is spent (a
  // one-shot timer after it fired) or already invalidated.
  virtual void invalidate() = 0;
  // False once invalidated, and for a one-shot timer once it has fired.
  virtual bool isValid() const = 0;
};
using TimerRef = std::shared_ptr<Timer>;

class RunLoopPort {
 public:
  virtual ~RunLoopPort() = default;

  // Receives the timer that fired, so that a block can invalidate its own timer.
  using TimerBlock = std::function<void(Timer& timer)>;
  using Task = std::function<void()>;

  // Main thread only. Starts a timer on the main run loop that fires `seconds` (positive) from now
  // and, when `repeats`, every `seconds` after that until invalidated. The run loop keeps a valid
  // timer alive by itself, so a caller may drop the returned reference (the timer then runs until
  // its block invalidates it); a late repeating timer fires once, not once per missed interval.
  virtual TimerRef scheduleTimer(double seconds, bool repeats, TimerBlock block) = 0;

  // Runs `task` later on the main thread, in a turn of its own: never inside the caller, and
  // after the callback that is running now has returned. Tasks run in the order posted by one
  // thread. Any thread may call it, also while the main thread runs a task or a timer.
  virtual void postToMainQueue(Task task) = 0;
};

}  // namespace tavrine
