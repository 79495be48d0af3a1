#include "support/virtual_run_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrine {
namespace {

// The ordering every timing test relies on: posted tasks first, in order and never inside their
// poster; timers in time order, ties by creation; invalidation holds at once, even for a timer
// due in the same instant.
TEST(VirtualRunLoopTest, RunsTurnsInTheOrderTheTimingTestsRelyOn) {
  doubles::VirtualRunLoop loop;
  std::vector<std::string> log;
  TimerRef victim;
  loop.scheduleTimer(0.2, false, [&](Timer&) { log.push_back("b"); });
  loop.scheduleTimer(0.1, false, [&](Timer&) {
    loop.postToMainQueue([&] {
      log.push_back("task1");
      loop.postToMainQueue([&] { log.push_back("task3"); });
    });
    loop.postToMainQueue([&] { log.push_back("task2"); });
    log.push_back("a");
    victim->invalidate();
  });
  victim = loop.scheduleTimer(0.1, false, [&](Timer&) { log.push_back("victim"); });
  loop.scheduleTimer(0.2, false, [&](Timer&) { log.push_back("c"); });
  loop.scheduleTimer(0.15, true, [&](Timer& t) {
    log.push_back("repeat@" + std::to_string(loop.now()).substr(0, 4));
    if (loop.now() > 0.4) t.invalidate();
  });
  loop.advance(0.3);
  EXPECT_TRUE(loop.fireNextTimer());
  EXPECT_EQ(loop.now(), 0.45);
  EXPECT_FALSE(loop.fireNextTimer());
  EXPECT_EQ(log, (std::vector<std::string>{"a", "task1", "task2", "task3", "repeat@0.15", "b", "c",
                                           "repeat@0.30", "repeat@0.45"}));
  EXPECT_EQ(loop.liveTimerCount(), 0u);
}

}  // namespace
}  // namespace tavrine
