#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/virtual_run_loop.h"

namespace tavrine {
namespace {

// The ordering rules every timing test relies on.
TEST(VirtualRunLoopTest, TurnsRunInTimeOrderTiesByCreationPostedTasksFirst) {
  doubles::VirtualRunLoop loop;
  std::vector<std::string> log;
  loop.scheduleTimer(0.2, false, [&](Timer&) { log.push_back("b@0.2"); });
  loop.scheduleTimer(0.1, false, [&](Timer&) {
    log.push_back("a@0.1");
    loop.postToMainQueue([&] {
      log.push_back("task1");
      loop.postToMainQueue([&] { log.push_back("task3"); });
    });
    loop.postToMainQueue([&] { log.push_back("task2"); });
    EXPECT_EQ(log.back(), "a@0.1");  // never inside the caller
  });
  loop.scheduleTimer(0.2, false, [&](Timer&) { log.push_back("c@0.2"); });
  loop.advance(0.3);
  EXPECT_EQ(log, (std::vector<std::string>{"a@0.1", "task1", "task2", "task3", "b@0.2", "c@0.2"}));
  EXPECT_TRUE(loop.liveTimers().empty());
}

TEST(VirtualRunLoopTest, InvalidationTakesEffectAtOnce) {
  doubles::VirtualRunLoop loop;
  int fired = 0;
  TimerRef victim;
  loop.scheduleTimer(0.1, false, [&](Timer&) { victim->invalidate(); });
  victim = loop.scheduleTimer(0.1, false, [&](Timer&) { ++fired; });  // due in the same instant
  TimerRef self = loop.scheduleTimer(0.05, true, [&](Timer& t) {
    ++fired;
    t.invalidate();
  });
  loop.advance(1);
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(victim->isValid());
  EXPECT_FALSE(self->isValid());
  victim->invalidate();  // harmless again
}

TEST(VirtualRunLoopTest, ALateRepeatingTimerFiresOnceThenKeepsItsSchedule) {
  doubles::VirtualRunLoop loop;
  std::vector<double> at;
  loop.scheduleTimer(0.1, true, [&](Timer&) { at.push_back(loop.now()); });
  loop.moveClock(0.35);
  EXPECT_TRUE(loop.runOneTurn());
  EXPECT_FALSE(loop.runOneTurn());
  loop.advance(0.1);
  EXPECT_EQ(at, (std::vector<double>{0.35, 0.4}));
}

}  // namespace
}  // namespace tavrine
