// SPDX-License-Identifier: MIT
// Where the delegate sends work that may wait on another process (reading a menu bar, pressing a
// menu item), so that the main thread never does.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tavrine {

class Worker {
 public:
  using Job = std::function<void()>;
  virtual ~Worker() = default;
  // Runs `job` later, off the main thread, after the jobs posted before it. Any thread may post.
  virtual void post(Job job) = 0;
};

// One thread that runs the jobs in the order posted. Destroying it drops the jobs not started
// and waits for the one running.
class ThreadWorker final : public Worker {
 public:
  ThreadWorker();
  ~ThreadWorker() override;
  ThreadWorker(const ThreadWorker&) = delete;
  ThreadWorker& operator=(const ThreadWorker&) = delete;

  void post(Job job) override;

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool stopping_ = false;
  std::thread thread_;  // last: started once the rest is ready
};

}  // namespace tavrine
