// SPDX-License-Identifier: MIT
// Where the delegate sends work that may wait on another process (reading a menu bar, pressing a
// menu item), so that the main thread never does.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace tavrine {

class Worker {
 public:
  using Job = std::function<void()>;
  virtual ~Worker() = default;
  // Runs `job` later, off the main thread, after the jobs posted before it. Any thread may post.
  virtual void post(Job job) = 0;
  // True inside a job whose worker is going away: the job should hand nothing back, since what
  // it would hand it to may be going too. False on any other thread.
  static bool stopping();
  // True on the thread of a worker (inside its jobs, and as they are freed).
  static bool onWorkerThread();
};

// One thread that runs the jobs in the order posted. Destroying it drops the jobs not started
// and waits for the one running, but no longer than `stopWait`: a job stuck on another process
// (a FIFO, an application that stopped answering) must not keep the program from quitting, so
// the thread is then left to finish alone. What the thread uses of the worker is shared with it,
// so the worker may also be dropped by a job on its own thread.
class ThreadWorker final : public Worker {
 public:
  static constexpr std::chrono::milliseconds kStopWait{1000};

  explicit ThreadWorker(std::chrono::milliseconds stopWait = kStopWait);
  ~ThreadWorker() override;
  ThreadWorker(const ThreadWorker&) = delete;
  ThreadWorker& operator=(const ThreadWorker&) = delete;

  void post(Job job) override;

 private:
  struct Queue;
  static void run(const std::shared_ptr<Queue>& queue);

  std::shared_ptr<Queue> queue_;
  std::chrono::milliseconds stopWait_;
  std::thread thread_;  // last: started once the rest is ready
};

}  // namespace tavrine
