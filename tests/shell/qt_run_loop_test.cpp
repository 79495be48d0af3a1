// SPDX-License-Identifier: MIT
#include "shell/qt/qt_run_loop.h"

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimerEvent>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "qt_event_loop.h"

namespace tavrine::qt {
namespace {

using namespace doubles;

// The Qt timers the run loop has started, by interval in milliseconds.
QList<QAbstractEventDispatcher::TimerInfo> registered(const QtRunLoop& loop) {
  return QAbstractEventDispatcher::instance()->registeredTimers(
      const_cast<QObject*>(loop.qtObject()));
}
int idOf(const QtRunLoop& loop, int intervalMs) {
  for (const auto& info : registered(loop))
    if (info.interval == intervalMs) return info.timerId;
  ADD_FAILURE() << "no timer of " << intervalMs << " ms";
  return 0;
}
// What the event loop does once a timer is due: no waiting, so no test depends on the clock.
void deliver(const QtRunLoop& loop, int id) {
  QTimerEvent event(id);
  QCoreApplication::sendEvent(const_cast<QObject*>(loop.qtObject()), &event);
}

// Timers are precise whole milliseconds (a coarse one may be 25 ms off a 0.5 s hold), kept by the
// run loop alone, fire as their kind says, and an invalidation holds at once, even for an event
// already queued.
TEST(QtRunLoopTest, TimersArePreciseKeptByTheRunLoopAndInvalidationHoldsAtOnce) {
  QtRunLoop loop;
  int fired = 0;
  loop.scheduleTimer(0.0004, false, [&](Timer&) { ++fired; });  // no reference kept
  EXPECT_NE(idOf(loop, 1), 0);                                  // at least a millisecond
  ASSERT_TRUE(runEventLoopUntil([&] { return fired == 1; }));   // from the real event loop, once
  std::vector<std::string> order;
  TimerRef other, repeating;
  // A one-shot that invalidates two timers whose events may already be queued in its turn.
  TimerRef hold = loop.scheduleTimer(0.5, false, [&](Timer& t) {
    order.push_back(t.isValid() ? "hold, still valid" : "hold");
    other->invalidate();
    repeating->invalidate();
  });
  other = loop.scheduleTimer(0.501, false, [&](Timer&) { order.push_back("other"); });
  repeating = loop.scheduleTimer(0.005, true, [&](Timer&) { order.push_back("repeating"); });
  int ticks = 0;
  std::weak_ptr<Timer> poll = loop.scheduleTimer(0.1, true, [&](Timer& t) {
    if (++ticks == 3) t.invalidate();
  });
  ASSERT_EQ(registered(loop).size(), 4);
  for (const auto& info : registered(loop))
    EXPECT_EQ(info.timerType, Qt::PreciseTimer);
  const int ids[] = {idOf(loop, 5), idOf(loop, 500), idOf(loop, 501), idOf(loop, 100)};
  for (int round = 0; round < 4; ++round)
    for (int id : ids)
      deliver(loop, id);
  EXPECT_EQ(order, (std::vector<std::string>{"repeating", "hold"}));
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(poll.expired());  // released once invalid
  EXPECT_FALSE(hold->isValid());
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(loop.liveTimerCount(), 0u);
  EXPECT_TRUE(registered(loop).isEmpty());
}

TEST(QtRunLoopTest, PostedTasksRunLaterInPostedOrderAndGoWithTheRunLoop) {
  QtRunLoop loop;
  std::vector<std::string> ran;
  // The press timer's pattern: its block hands the work to the main queue.
  loop.scheduleTimer(1, false, [&](Timer&) {
    loop.postToMainQueue([&] {
      ran.push_back("1");
      loop.postToMainQueue([&] { ran.push_back("3"); });  // after those already waiting
    });
    loop.postToMainQueue([&] { ran.push_back("2"); });
    ran.push_back("block returns");
  });
  deliver(loop, idOf(loop, 1000));
  EXPECT_EQ(ran, std::vector<std::string>{"block returns"});
  ASSERT_TRUE(runEventLoopUntil([&] { return ran.size() == 4; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"block returns", "1", "2", "3"}));

  // Destroyed, the run loop stops its timers and drops its tasks.
  int fired = 0;
  TimerRef kept;
  {
    QtRunLoop doomed;
    kept = doomed.scheduleTimer(0.001, true, [&](Timer&) { ++fired; });
    doomed.postToMainQueue([&] { ++fired; });
  }
  EXPECT_FALSE(kept->isValid());
  kept->invalidate();  // harmless
  runPendingEvents();
  EXPECT_EQ(fired, 0);
}

TEST(QtRunLoopTest, ATimerScheduledOffTheMainThreadIsAFatalError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  QtRunLoop loop;
  EXPECT_DEATH(std::thread([&] { loop.scheduleTimer(0.1, false, [](Timer&) {}); }).join(),
               "timer was scheduled from a thread other than the main thread");
}

}  // namespace
}  // namespace tavrine::qt
