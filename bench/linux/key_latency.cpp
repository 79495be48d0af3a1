// SPDX-License-Identifier: MIT
// Times keys typed into an application, from outside it: presses 'x' and BackSpace in turn
// through XTEST and waits, for each, until the application reports the change of its text on
// the accessibility bus (object:text-changed). That report comes after the application has
// handled the key, so whatever holds the key up on its way in (a toolkit waiting for the
// accessibility registry and its keystroke listeners) shows here. Then times the registry's
// answer to a plain key as a toolkit sends it ("answer MS"). scripts/bench-hold.sh runs it with
// Tavrine and without.
//
//   tavrine-key-latency PID [RUNS] [PAUSE_MS]
//
// Keys go to the X server in DISPLAY. Prints each sample ("sample MS") and a summary; exits 1 if
// any key went unreported.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "backends/linux/dbus/bus_connection.h"

namespace {

using namespace tavrine;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr auto kKeyTimeout = std::chrono::seconds(3);
constexpr std::uint64_t kBusTimeoutUsec = 5'000'000;  // finding the bus, on a loaded machine

std::optional<long> parseNumber(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0) return std::nullopt;
  return value;
}

// The bus names the process holds on the accessibility bus.
std::set<std::string> namesOf(sd_bus* bus, std::uint32_t pid) {
  std::set<std::string> names;
  char** all = nullptr;
  if (sd_bus_list_names(bus, &all, nullptr) < 0) return names;
  for (char** name = all; *name != nullptr; ++name) {
    sd_bus_creds* creds = nullptr;
    pid_t owner = 0;
    if ((*name)[0] == ':' && sd_bus_get_name_creds(bus, *name, SD_BUS_CREDS_PID, &creds) >= 0 &&
        sd_bus_creds_get_pid(creds, &owner) >= 0 && static_cast<std::uint32_t>(owner) == pid) {
      names.insert(*name);
    }
    sd_bus_creds_unref(creds);
    std::free(*name);
  }
  std::free(all);
  return names;
}

struct Watch {
  std::set<std::string> names;
  std::optional<Clock::time_point> changed;
};

int onTextChanged(sd_bus_message* message, void* data, sd_bus_error* /*error*/) {
  Watch& watch = *static_cast<Watch*>(data);
  const char* sender = sd_bus_message_get_sender(message);
  if (!watch.changed && sender != nullptr && watch.names.contains(sender)) {
    watch.changed = Clock::now();
  }
  return 0;
}

// Handles what arrives until the application reported a change or the deadline passed.
std::optional<Clock::time_point> waitChanged(sd_bus* bus, Watch& watch,
                                             Clock::time_point deadline) {
  while (!watch.changed) {
    const int r = sd_bus_process(bus, nullptr);
    if (r < 0) return std::nullopt;
    if (r > 0) continue;
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0) return std::nullopt;
    if (sd_bus_wait(bus, static_cast<std::uint64_t>(left)) < 0) return std::nullopt;
  }
  return watch.changed;
}

void drain(sd_bus* bus) {
  while (sd_bus_process(bus, nullptr) > 0) {
  }
}

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[index];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: %s PID [RUNS=100] [PAUSE_MS=30]\n", argv[0]);
    return 2;
  }
  const std::optional<long> pid = parseNumber(argv[1]);
  const std::optional<long> runs = argc > 2 ? parseNumber(argv[2]) : 100L;
  const std::optional<long> pauseMs = argc > 3 ? parseNumber(argv[3]) : 30L;
  if (!pid || *pid == 0 || !runs || *runs == 0 || !pauseMs) {
    std::fprintf(stderr, "%s: PID and RUNS must be positive numbers, PAUSE_MS not negative\n",
                 argv[0]);
    return 2;
  }

  const dbus::BusPtr connection =
      dbus::connectToAddress(dbus::accessibilityBusAddress(kBusTimeoutUsec), true);
  sd_bus* a11y = connection.get();
  if (a11y == nullptr) {
    std::fprintf(stderr, "%s: no accessibility bus\n", argv[0]);
    return 2;
  }
  Watch watch;
  watch.names = namesOf(a11y, static_cast<std::uint32_t>(*pid));
  if (watch.names.empty()) {
    std::fprintf(stderr, "%s: process %ld is not on the accessibility bus\n", argv[0], *pid);
    return 2;
  }
  // Applications send events only once a listener asked the registry for them.
  if (sd_bus_add_match(a11y, nullptr,
                       "type='signal',interface='org.a11y.atspi.Event.Object',"
                       "member='TextChanged'",
                       onTextChanged, &watch) < 0 ||
      sd_bus_call_method(a11y, "org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                         "org.a11y.atspi.Registry", "RegisterEvent", nullptr, nullptr, "sass",
                         "object:text-changed", 0, "") < 0) {
    std::fprintf(stderr, "%s: cannot listen to text changes\n", argv[0]);
    return 2;
  }

  Display* display = XOpenDisplay(nullptr);
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (display == nullptr || !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
    std::fprintf(stderr, "%s: cannot open the display, or it has no XTEST\n", argv[0]);
    return 2;
  }
  const KeyCode keys[] = {XKeysymToKeycode(display, XK_x), XKeysymToKeycode(display, XK_BackSpace)};

  // The first key also waits for the application to have heard of the listener.
  std::vector<double> latencies;
  long failed = 0;
  for (long i = 0; i <= *runs; ++i) {
    const KeyCode key = keys[i % 2];
    drain(a11y);
    watch.changed.reset();
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XSync(display, False);
    const Clock::time_point pressed = Clock::now();
    const auto changed =
        waitChanged(a11y, watch, pressed + (i == 0 ? 5 * kKeyTimeout : kKeyTimeout));
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    XSync(display, False);
    if (i > 0) {
      if (changed) {
        latencies.push_back(Ms(*changed - pressed).count());
        std::printf("sample %.3f\n", latencies.back());
      } else {
        ++failed;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(*pauseMs));
  }
  XCloseDisplay(display);

  // What the toolkit waits for on each key: the registry's answer to a plain key, which it gives
  // once every keystroke listener that matches has answered.
  std::vector<double> answers;
  for (long i = 0; i < *runs; ++i) {
    const Clock::time_point sent = Clock::now();
    if (sd_bus_call_method(
            a11y, "org.a11y.atspi.Registry", "/org/a11y/atspi/registry/deviceeventcontroller",
            "org.a11y.atspi.DeviceEventController", "NotifyListenersSync", nullptr, nullptr,
            "(uiiiisb)", static_cast<std::uint32_t>(i % 2), XK_x, 53, 0, 0, "x", 1) >= 0) {
      answers.push_back(Ms(Clock::now() - sent).count());
      std::printf("answer %.3f\n", answers.back());
    }
  }
  if (!answers.empty()) {
    std::printf("registry -> answer for a plain key: median %.3f ms, p90 %.3f ms\n",
                percentile(answers, 0.5), percentile(answers, 0.9));
  }

  if (latencies.empty()) {
    std::printf("key -> text changed: no samples, %ld failed\n", failed);
    return 1;
  }
  std::printf(
      "key -> text changed: median %.2f ms, p90 %.2f ms, max %.2f ms (%zu samples, %ld failed)\n",
      percentile(latencies, 0.5), percentile(latencies, 0.9),
      *std::max_element(latencies.begin(), latencies.end()), latencies.size(), failed);
  return failed == 0 ? 0 : 1;
}
