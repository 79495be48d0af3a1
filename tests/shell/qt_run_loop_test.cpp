#include "shell/qt_run_loop.h"

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "qt_event_loop.h"

namespace tavrine::qt {
namespace {

using namespace std::chrono_literals;
using doubles::runEventLoopFor;
using doubles::runEventLoopUntil;
using doubles::runPendingEvents;

TEST(QtRunLoopTest, TimersFireInTimeOrderAndOneShotsOnlyOnce) {
  QtRunLoop loop;
  std::vector<std::string> fired;
  // Scheduled out of order, and every reference dropped at once: the run loop keeps them.
  loop.scheduleTimer(0.060, false, [&](Timer&) { fired.push_back("60ms"); });
  loop.scheduleTimer(0.020, false, [&](Timer&) { fired.push_back("20ms"); });
  loop.scheduleTimer(0.040, false, [&](Timer&) { fired.push_back("40ms"); });
  EXPECT_EQ(loop.liveTimerCount(), 3u);

  ASSERT_TRUE(runEventLoopUntil([&] { return fired.size() == 3; }));
  runEventLoopFor(100ms);
  EXPECT_EQ(fired, (std::vector<std::string>{"20ms", "40ms", "60ms"}));
  EXPECT_EQ(loop.liveTimerCount(), 0u);
}

TEST(QtRunLoopTest, HoldTimerFiresAfterHalfASecondNotEarlierAndNotMuchLater) {
  QtRunLoop loop;
  QElapsedTimer clock;
  clock.start();
  qint64 firedAfterNs = -1;
  TimerRef timer = loop.scheduleTimer(0.5, false, [&](Timer& t) {
    firedAfterNs = clock.nsecsElapsed();
    EXPECT_FALSE(t.isValid());  // a one-shot is spent while its block runs
  });
  EXPECT_TRUE(timer->isValid());
  // A coarse timer could be 25 ms early or late; the hold needs a precise one.
  const QList<QAbstractEventDispatcher::TimerInfo> registered =
      QAbstractEventDispatcher::instance()->registeredTimers(const_cast<QObject*>(loop.qtObject()));
  ASSERT_EQ(registered.size(), 1);
  EXPECT_EQ(registered[0].interval, 500);
  EXPECT_EQ(registered[0].timerType, Qt::PreciseTimer);
  ASSERT_TRUE(runEventLoopUntil([&] { return firedAfterNs >= 0; }));
  EXPECT_FALSE(timer->isValid());
  EXPECT_GE(firedAfterNs, 499'000'000);
  // A precise timer is a few milliseconds late at most. This is a loose bound that leaves room
  // for loaded machines and sanitizers, not a measurement.
  EXPECT_LT(firedAfterNs, 750'000'000);
}

TEST(QtRunLoopTest, RepeatingTimerRunsUntilItsBlockInvalidatesIt) {
  QtRunLoop loop;
  int ticks = 0;
  std::weak_ptr<Timer> weak;
  {
    TimerRef timer = loop.scheduleTimer(0.010, true, [&](Timer& t) {
      if (++ticks == 3) t.invalidate();
    });
    weak = timer;
  }
  // Nobody but the run loop holds it now.
  ASSERT_FALSE(weak.expired());
  ASSERT_TRUE(runEventLoopUntil([&] { return ticks == 3; }));
  runEventLoopFor(60ms);
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(weak.expired());  // released once invalid
  EXPECT_EQ(loop.liveTimerCount(), 0u);
}

TEST(QtRunLoopTest, InvalidationHoldsAtOnceEvenForATimerDueInTheSameTurn) {
  QtRunLoop loop;
  // Two timers due at the same moment (and a third due earlier), each invalidating the other:
  // whichever Qt picks first, the second is already due and must not fire.
  std::vector<std::string> fired;
  TimerRef a, b;
  a = loop.scheduleTimer(0.030, false, [&](Timer&) {
    fired.push_back("a");
    b->invalidate();
  });
  b = loop.scheduleTimer(0.030, false, [&](Timer&) {
    fired.push_back("b");
    a->invalidate();
  });
  // A repeating timer invalidated by another block never fires again.
  int repeats = 0;
  TimerRef repeating = loop.scheduleTimer(0.005, true, [&](Timer&) { ++repeats; });
  loop.scheduleTimer(0.020, false, [&](Timer&) { repeating->invalidate(); });

  // Block the thread past all due dates, so that every timer is overdue at the next turn.
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 50) {
  }
  runEventLoopFor(80ms);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_FALSE(a->isValid());
  EXPECT_FALSE(b->isValid());
  const int repeatsAtInvalidation = repeats;
  runEventLoopFor(30ms);
  EXPECT_EQ(repeats, repeatsAtInvalidation);
  EXPECT_LE(repeats, 1);  // overdue repeating timers fire once, not once per missed interval
  EXPECT_FALSE(repeating->isValid());
  EXPECT_EQ(loop.liveTimerCount(), 0u);
}

TEST(QtRunLoopTest, InvalidatingBeforeTheFirstTurnOrTwiceIsHarmless) {
  QtRunLoop loop;
  int fired = 0;
  TimerRef timer = loop.scheduleTimer(0.001, false, [&](Timer&) { ++fired; });
  timer->invalidate();
  timer->invalidate();
  EXPECT_FALSE(timer->isValid());
  runEventLoopFor(20ms);
  EXPECT_EQ(fired, 0);
}

TEST(QtRunLoopTest, PostedTasksRunLaterInTheirOwnTurnsInPostedOrder) {
  QtRunLoop loop;
  std::vector<int> ran;
  bool callerReturned = false;
  loop.postToMainQueue([&] {
    EXPECT_TRUE(callerReturned);
    ran.push_back(1);
    // Posted from a task: after the ones already waiting.
    loop.postToMainQueue([&] { ran.push_back(4); });
  });
  loop.postToMainQueue([&] { ran.push_back(2); });
  loop.postToMainQueue([&] { ran.push_back(3); });
  callerReturned = true;
  EXPECT_TRUE(ran.empty());

  ASSERT_TRUE(runEventLoopUntil([&] { return ran.size() == 4; }));
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
}

TEST(QtRunLoopTest, TimerBlockHandsOffToTheMainQueueAfterItReturns) {
  // The press timer's pattern: the block submits the work instead of doing it.
  QtRunLoop loop;
  std::vector<std::string> events;
  loop.scheduleTimer(0.005, false, [&](Timer&) {
    loop.postToMainQueue([&] { events.push_back("task"); });
    events.push_back("block returns");
  });
  ASSERT_TRUE(runEventLoopUntil([&] { return events.size() == 2; }));
  EXPECT_EQ(events, (std::vector<std::string>{"block returns", "task"}));
}

TEST(QtRunLoopTest, ATimerScheduledOffTheMainThreadIsAFatalError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  QtRunLoop loop;
  const auto offMainThread = [&] {
    std::thread([&] { loop.scheduleTimer(0.1, false, [](Timer&) {}); }).join();
  };
  EXPECT_DEATH(offMainThread(), "timer was scheduled from a thread other than the main thread");
}

TEST(QtRunLoopTest, DestroyingTheRunLoopStopsItsTimersAndDropsItsTasks) {
  int fired = 0;
  TimerRef kept;
  {
    QtRunLoop loop;
    kept = loop.scheduleTimer(0.001, true, [&](Timer&) { ++fired; });
    loop.postToMainQueue([&] { ++fired; });
  }
  EXPECT_FALSE(kept->isValid());
  kept->invalidate();  // harmless
  runEventLoopFor(20ms);
  runPendingEvents();
  EXPECT_EQ(fired, 0);
}

}  // namespace
}  // namespace tavrine::qt
