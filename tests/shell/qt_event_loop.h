// Running the Qt event loop from a test: for a while, or until something has happened.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace tavrine::doubles {

// Runs the main event loop for `duration`.
inline void runEventLoopFor(std::chrono::milliseconds duration) {
  QEventLoop loop;
  QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs the main event loop until `done` holds (checked between events) or `timeout` passes.
// Returns whether `done` held.
inline bool runEventLoopUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  if (done()) return true;
  const QDeadlineTimer deadline(timeout, Qt::PreciseTimer);
  QEventLoop loop;
  QTimer check;
  check.setInterval(1);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done() || deadline.hasExpired()) loop.quit();
  });
  check.start();
  loop.exec();
  return done();
}

// Runs every event that is due now, posted ones included, but waits for nothing.
inline void runPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tavrine::doubles
