// SPDX-License-Identifier: MIT
// Times a key from the accessibility registry to the core: a NotifyEvent sent to Tavrine's
// keystroke listener, through its thread, the main loop's wake-up and the event monitor, to the
// application delegate's flags handler. Runs on a session bus of its own (dbus-daemon).
//
//   tavrine-keystroke-latency [SAMPLES] [STALL_MS]
//
// With STALL_MS, the main thread stops for that long every 300 ms (as while it reads a large menu
// bar): the registry's answer, which the application waits for on every key, must not follow.
// Prints the median, the 90th percentile and the maximum of both times in milliseconds; exits 1
// when a sample was lost.
#include <systemd/sd-bus.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/app_delegate.h"
#include "backends/linux/atspi/listener.h"
#include "backends/linux/x11/key_watcher.h"
#include "linux/test_servers.h"
#include "programs/linux/qt_x11_event_monitor.h"
#include "support/fake_platform.h"

namespace {

using namespace tavrine;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

}  // namespace

int main(int argc, char** argv) {
  const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
  const int stallMs = argc > 2 ? std::max(0, std::atoi(argv[2])) : 0;
  doubles::ServerProcess daemon;
  const std::string address = doubles::startSessionBus(daemon);
  if (address.empty()) {
    std::fprintf(stderr, "dbus-daemon could not be started\n");
    return 1;
  }

  QCoreApplication app(argc, argv);
  doubles::FakePlatform fakes;
  fakes.trust.trusted = true;
  atspi::AtspiListener listener(address);
  x11::X11KeyWatcher noDisplay(":65000");  // only the registry's keys
  program::QtX11EventMonitor events(noDisplay, fakes.trust, {}, {&listener});
  Platform platform = fakes.platform();
  const Platform withEvents{platform.application, platform.runLoop, events,
                            platform.workspace,   platform.trust,   platform.accessibility,
                            platform.statusBar,   platform.screens, platform.panels};
  const std::shared_ptr<AppDelegate> delegate = AppDelegate::create(withEvents, fakes.sources());
  delegate->startGlobalMonitoring();
  if (!delegate->globalMonitoring()) {
    std::fprintf(stderr, "the listener could not be started\n");
    return 1;
  }

  // Installed after the delegate's: runs right after its flags handler returns.
  std::mutex mutex;
  std::condition_variable handled;
  Clock::time_point reached;
  int count = 0;
  events.addGlobalMonitor(kEventMaskFlagsChanged, [&](const Event&) {
    std::lock_guard lock(mutex);
    reached = Clock::now();
    ++count;
    handled.notify_one();
  });

  QTimer stall;
  if (stallMs > 0) {
    QObject::connect(&stall, &QTimer::timeout, [stallMs] {
      std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
    });
    stall.start(300);
  }

  std::vector<double> latencies;
  std::vector<double> answers;
  bool lost = false;
  std::thread registry([&] {
    std::string name;
    for (int i = 0; i < 250 && name.empty(); ++i) {
      name = listener.uniqueName();
      if (name.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sd_bus* bus = nullptr;
    sd_bus_new(&bus);
    sd_bus_set_address(bus, address.c_str());
    sd_bus_set_bus_client(bus, 1);
    sd_bus_start(bus);
    for (int i = 0; i < samples && !name.empty(); ++i) {
      const std::uint32_t type = i % 2;  // Ctrl down, Ctrl up
      std::unique_lock lock(mutex);
      const int before = count;
      lock.unlock();
      const Clock::time_point sent = Clock::now();
      sd_bus_call_method(bus, name.c_str(), atspi::AtspiListener::kListenerPath,
                         "org.a11y.atspi.DeviceEventListener", "NotifyEvent", nullptr, nullptr,
                         "(uiuuisb)", type, 0xffe3, 37U, 0U, 0, "Control_L", 1);
      answers.push_back(Ms(Clock::now() - sent).count());
      lock.lock();
      if (!handled.wait_for(lock, std::chrono::seconds(2), [&] { return count > before; })) {
        lost = true;
        break;
      }
      latencies.push_back(Ms(reached - sent).count());
      lock.unlock();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (name.empty()) lost = true;
    sd_bus_flush_close_unref(bus);
    QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
  });
  QCoreApplication::exec();
  registry.join();

  if (latencies.empty()) {
    std::fprintf(stderr, "no sample\n");
    return 1;
  }
  const auto report = [](const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
      return values[std::min(values.size() - 1,
                             static_cast<std::size_t>(q * static_cast<double>(values.size())))];
    };
    std::printf("%s: %zu samples, median %.3f ms, p90 %.3f ms, max %.3f ms\n", what, values.size(),
                at(0.5), at(0.9), values.back());
  };
  report("registry answered", answers);
  report("key to flags handler", latencies);
  return lost ? 1 : 0;
}
