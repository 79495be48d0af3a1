// SPDX-License-Identifier: MIT
#include "app/worker.h"

#include <gtest/gtest.h>

#include <future>

namespace tavrine {
namespace {

using namespace std::chrono_literals;
using Flag = std::shared_ptr<std::promise<bool>>;

// A job stuck on another process holds its worker's end (and Quit) up no longer than the bound;
// it learns that the worker is going, and the jobs behind it never run. The last reference may
// also go in a job on the worker's own thread, which cannot wait for itself.
TEST(ThreadWorkerTest, ItsEndWaitsNeitherForAStuckJobNorForItself) {
  const Flag started = std::make_shared<std::promise<bool>>();
  const Flag stopSeen = std::make_shared<std::promise<bool>>();
  std::promise<void> release;
  const auto start = std::chrono::steady_clock::now();
  {
    ThreadWorker worker(50ms);
    worker.post([started, stopSeen, gate = release.get_future().share()] {
      started->set_value(true);
      gate.wait_for(3s);
      stopSeen->set_value(Worker::stopping());
    });
    worker.post([] { ADD_FAILURE() << "ran after the stop"; });
    started->get_future().wait();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  release.set_value();
  EXPECT_TRUE(stopSeen->get_future().get());

  auto owned = std::make_shared<ThreadWorker>();
  const Flag ended = std::make_shared<std::promise<bool>>();
  std::promise<void> dropped;
  owned->post([keep = owned, ended, gone = dropped.get_future().share()]() mutable {
    gone.wait();
    keep.reset();
    ended->set_value(true);
  });
  owned.reset();
  dropped.set_value();
  EXPECT_EQ(ended->get_future().wait_for(5s), std::future_status::ready);
}

}  // namespace
}  // namespace tavrine
