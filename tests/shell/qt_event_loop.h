// SPDX-License-Identifier: MIT
// Running the Qt event loop from a test until something has happened.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

namespace tavrine::doubles {

// Runs the main event loop (a loop level of its own, so that windows deleted later go) until
// `done` holds or `timeout` passes; returns whether `done` held.
inline bool runEventLoopUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  const QDeadlineTimer deadline(timeout);
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done() || deadline.hasExpired()) loop.quit();
  });
  check.start(1);
  if (!done()) loop.exec();
  return done();
}

// Runs every event that is due now, posted ones included, but waits for nothing.
inline void runPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tavrine::doubles
