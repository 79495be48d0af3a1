// SPDX-License-Identifier: MIT
// Hold cycles against the hostile peer: the program's delegate on the real keystroke listener
// and menu reader, over a bus of its own, with the peer's answers changing from hold to hold
// (a good menu, texts of several MiB, wrong signatures, a cache that never ends, a socket that
// stalls in the middle of a reply) and fake keys and windows from clients that may not send
// them. Only the clock of the hold timers is virtual. Fails when a hold goes unanswered, when
// two panels are ever up at once, or when a fake key shows one; the sanitizers add leaks.
// Usage: tavrine-hostile-soak [CYCLES]   (500 in the test suite)
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/app_delegate.h"
#include "backends/linux/atspi/accessibility.h"
#include "backends/linux/atspi/listener.h"
#include "support/app_harness.h"
#include "support/fake_platform.h"
#include "test_servers.h"

namespace {

using namespace tavrine;
using Clock = std::chrono::steady_clock;

// The frontmost application is the one whose frame the listener saw activated.
struct ListenerWorkspace final : WorkspacePort {
  explicit ListenerWorkspace(const atspi::AtspiListener& l) : listener(l) {}
  std::optional<RunningApplication> frontmostApplication() const override {
    const auto active = listener.activeApplication();
    if (!active || !active->pid) return std::nullopt;
    return RunningApplication{*active->pid, active->name, nullptr, {}, {}, {}, {}};
  }
  std::uint64_t modifierFlags() const override { return listener.flags(); }
  const atspi::AtspiListener& listener;
};

int failures = 0;
void fail(int cycle, const char* what) {
  if (++failures <= 20) std::fprintf(stderr, "cycle %d: %s\n", cycle, what);
}

}  // namespace

int main(int argc, char** argv) {
  const int cycles = argc > 1 ? std::atoi(argv[1]) : 500;
  doubles::HostileBus peer;
  if (!peer.start()) {
    std::fprintf(stderr, "the hostile peer did not start (is dbus-daemon installed?)\n");
    return 1;
  }
  setenv("AT_SPI_BUS_ADDRESS", peer.address().c_str(), 1);

  atspi::AtspiListener listener(peer.address());
  atspi::AtspiAccessibility accessibility;
  doubles::FakePlatform fakes;
  fakes.trust.trusted = true;
  ListenerWorkspace workspace(listener);
  doubles::VirtualRunLoop& runLoop = fakes.runLoop;
  doubles::RecordingPanels& panels = fakes.panels;
  TranslationHelper t;
  const std::shared_ptr<AppDelegate> delegate =
      AppDelegate::create(Platform{fakes.application, runLoop, fakes.events, workspace, fakes.trust,
                                   accessibility, fakes.statusBar, fakes.screens, panels},
                          {std::make_shared<MenuBarSource>(accessibility),
                           std::make_shared<SystemShortcuts>(Desktop::gnome)},
                          t);
  delegate->applicationDidFinishLaunching();
  delegate->useWorker(std::make_shared<doubles::ManualWorker>());  // reads within advance()
  int flagChanges = 0;
  listener.start({[&](modifier::Flags f) {
                    ++flagChanges;
                    fakes.events.flagsChanged(doubles::Scope::global, f);
                  },
                  [&](modifier::Flags f) { fakes.events.keyDown(doubles::Scope::global, f); },
                  {}});

  // Ctrl through the registry (or, fake, from the application), handed to the delegate here
  // once the listener has queued it (a fake one is given a moment).
  const auto ctrl = [&](bool down, bool fake = false) {
    peer.control("Key", "uusb", down ? 0u : 1u, 0xffe3u, "Control_L", fake);
    pollfd queued{listener.fileDescriptor(), POLLIN, 0};
    poll(&queued, 1, fake ? 50 : 1000);
    listener.dispatchPending();
  };
  const bool heard = doubles::eventually([&] {
    ctrl(true);
    ctrl(false);
    return flagChanges != 0;
  });
  peer.control("Activate", "b", false);
  if (!heard ||
      !doubles::eventually([&] { return workspace.frontmostApplication().has_value(); })) {
    std::fprintf(stderr, "the listener never heard the registry or the application\n");
    return 1;
  }

  // Modes that must show the application's menu, and those that may show nothing (a text of
  // several MiB may take the reader past its deadline). The slow ones cost a deadline each: one
  // of each in twenty holds. A good hold may come back empty only at the reader's deadline (the
  // peer still busy with what it was asked before, a loaded machine), never sooner; or right
  // after a hold that ran into the deadline, while the application's pause before it is asked
  // again has not passed. The hold after that shows it again.
  const struct {
    const char* mode;
    bool shows;
  } script[] = {{"plain", true}, {"huge", false},  {"plain", true},  {"wrong", false},
                {"plain", true}, {"stall", false}, {"plain", true},  {"plain", true},
                {"plain", true}, {"wrong", false}, {"plain", true},  {"endless", false},
                {"plain", true}, {"plain", true},  {"wrong", false}, {"plain", true},
                {"plain", true}, {"plain", true},  {"wrong", false}, {"plain", true}};
  Clock::duration slowest{};
  int shown = 0;
  int late = 0;          // good holds the deadline ended, or the pause after one
  bool resting = false;  // the hold before ran into the deadline
  for (int cycle = 0; cycle < cycles; ++cycle) {
    const auto& step = script[cycle % std::size(script)];
    peer.control("Mode", "s", step.mode);
    if (cycle % 5 == 0) {
      // A fake press held past the hold time, and a window of the intruder's.
      peer.control("Activate", "b", true);
      ctrl(true, true);
      runLoop.advance(0.6);
      if (panels.onScreenCount() != 0) fail(cycle, "a fake key showed a panel");
      ctrl(false, true);
    }
    ctrl(true);
    const Clock::time_point start = Clock::now();
    runLoop.advance(0.6);  // the hold time passes: the read happens here
    const Clock::duration took = Clock::now() - start;
    slowest = std::max(slowest, took);
    if (took > std::chrono::seconds(1)) fail(cycle, "the hold took more than a second");
    if (panels.onScreenCount() > 1) fail(cycle, "two panels at once");
    if (step.shows && panels.onScreenCount() != 1) {
      ++late;
      if (took < atspi::ReadOptions{}.deadline && !resting)
        fail(cycle, "a good hold showed nothing");
    }
    resting = took >= atspi::ReadOptions{}.deadline;
    shown += static_cast<int>(panels.onScreenCount());
    ctrl(false);
    runLoop.advance(0.2);
    if (panels.onScreenCount() != 0) fail(cycle, "the panel stayed after the release");
  }
  for (const auto& panel : panels.created) {
    if (panel->othersOnScreenWhenShown != 0) fail(-1, "a panel was shown while another was up");
  }
  std::printf(
      "%d hold cycles, %d panels shown, %d good holds ended by the deadline, slowest hold "
      "%lld ms, %d failures\n",
      cycles, shown, late,
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count()),
      failures);
  return failures == 0 ? 0 : 1;
}
