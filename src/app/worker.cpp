// SPDX-License-Identifier: MIT
#include "app/worker.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

namespace tavrine {

struct ThreadWorker::Queue {
  std::mutex mutex;
  std::condition_variable wake;     // a job posted, or the stop
  std::condition_variable stopped;  // the thread left its loop
  std::deque<Job> jobs;
  std::atomic<bool> stopping = false;
  bool done = false;
};

namespace {

// The flag of the worker whose thread this is.
thread_local const std::atomic<bool>* currentStop = nullptr;

}  // namespace

bool Worker::stopping() {
  return currentStop != nullptr && currentStop->load();
}

bool Worker::onWorkerThread() {
  return currentStop != nullptr;
}

ThreadWorker::ThreadWorker(std::chrono::milliseconds stopWait)
    : queue_(std::make_shared<Queue>()),
      stopWait_(stopWait),
      thread_([queue = queue_] { run(queue); }) {}

ThreadWorker::~ThreadWorker() {
  std::deque<Job> dropped;
  std::unique_lock lock(queue_->mutex);
  queue_->stopping = true;
  dropped.swap(queue_->jobs);
  queue_->wake.notify_one();
  // Dropped by a job of its own: the thread leaves its loop once that job is done.
  if (thread_.get_id() == std::this_thread::get_id() ||
      !queue_->stopped.wait_for(lock, stopWait_, [this] { return queue_->done; })) {
    thread_.detach();
    lock.unlock();
    return;  // the jobs not started go here, outside the lock: they may post
  }
  lock.unlock();
  thread_.join();
}

void ThreadWorker::post(Job job) {
  {
    const std::lock_guard lock(queue_->mutex);
    if (queue_->stopping) return;
    queue_->jobs.push_back(std::move(job));
  }
  queue_->wake.notify_one();
}

void ThreadWorker::run(const std::shared_ptr<Queue>& queue) {
  currentStop = &queue->stopping;
  for (;;) {
    Job job;
    {
      std::unique_lock lock(queue->mutex);
      queue->wake.wait(lock, [&] { return queue->stopping || !queue->jobs.empty(); });
      if (queue->stopping) {
        queue->done = true;
        queue->stopped.notify_all();
        return;
      }
      job = std::move(queue->jobs.front());
      queue->jobs.pop_front();
    }
    job();
  }
}

}  // namespace tavrine
