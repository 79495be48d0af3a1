// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include "app/worker.h"

namespace tavrine {
namespace {

using namespace std::chrono_literals;

// A job stuck on another process does not keep the worker's owner (and so Quit) waiting past
// the bound; the job learns that its worker is going, and the jobs behind it never run.
TEST(ThreadWorkerTest, AStuckJobDoesNotHoldUpItsWorkersEnd) {
  std::promise<void> release;
  const std::shared_future<void> gate = release.get_future().share();
  const auto stopSeen = std::make_shared<std::promise<bool>>();
  const auto laterRan = std::make_shared<std::atomic<bool>>(false);
  const auto start = std::chrono::steady_clock::now();
  {
    ThreadWorker worker(50ms);
    const auto started = std::make_shared<std::promise<void>>();
    worker.post([gate, stopSeen, started] {
      started->set_value();
      gate.wait_for(3s);
      stopSeen->set_value(Worker::stopping());
    });
    worker.post([laterRan] { *laterRan = true; });
    started->get_future().wait();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_FALSE(Worker::stopping());  // not a worker's thread
  release.set_value();
  EXPECT_TRUE(stopSeen->get_future().get());
  EXPECT_FALSE(*laterRan);
}

// The last reference to a worker may go in one of its own jobs (an answer freed there): it
// cannot wait for its own thread.
TEST(ThreadWorkerTest, DroppedByItsOwnJob) {
  auto worker = std::make_shared<ThreadWorker>();
  std::promise<void> dropped;
  const std::shared_future<void> ownerGone = dropped.get_future().share();
  const auto ended = std::make_shared<std::promise<void>>();
  worker->post([keep = worker, ownerGone, ended]() mutable {
    ownerGone.wait();
    keep.reset();
    ended->set_value();
  });
  worker.reset();
  dropped.set_value();
  EXPECT_EQ(ended->get_future().wait_for(5s), std::future_status::ready);
}

}  // namespace
}  // namespace tavrine
