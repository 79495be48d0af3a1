// SPDX-License-Identifier: MIT
// An application delegate on the test doubles, with a private language flag.
#pragma once

#include "app/app_delegate.h"
#include "overlay/overlay_view.h"
#include "support/fake_platform.h"

namespace tavrine::doubles {

// The delegate's worker on the test's thread: jobs run as posted or, while held, when told.
struct ManualWorker final : Worker {
  void post(Job job) override {
    jobs.push_back(std::move(job));
    if (!held) run();
  }
  void run() {
    while (!jobs.empty()) {
      const Job job = std::move(jobs.front());
      jobs.pop_front();
      job();
    }
  }
  bool held = false;
  std::deque<Job> jobs;
};

struct AppHarness {
  TranslationHelper t;
  FakePlatform fake;
  std::shared_ptr<ManualWorker> worker = std::make_shared<ManualWorker>();
  std::shared_ptr<AppDelegate> delegate;

  explicit AppHarness(bool trusted = true, OverlayStyle style = {}) {
    setTrusted(trusted);
    delegate = AppDelegate::create(fake.platform(), fake.sources(), t, style);
    delegate->useWorker(worker);
    fake.statusBar.responderChainEnd = delegate;
    delegate->applicationDidFinishLaunching();
  }

  // Trust brings the global monitors within reach, as on a real desktop.
  void setTrusted(bool trusted) {
    fake.trust.trusted = trusted;
    fake.events.globalMonitorsAvailable = trusted;
  }

  // Puts an application in front whose menu bar is `menus` (see ax::parseMenuTree); returns it.
  std::shared_ptr<ax::MemoryTree> bringToFront(std::int32_t pid, std::optional<std::string> name,
                                               std::string_view menus) {
    ax::MenuTreeParse parsed = ax::parseMenuTree(menus);
    if (!parsed.tree) throw std::invalid_argument(parsed.error);
    fake.accessibility.add(pid, parsed.tree);
    fake.workspace.frontmost = RunningApplication{pid, std::move(name), nullptr, {}, {}, {}, {}};
    return parsed.tree;
  }

  // The overlay asked for directly; the answer comes back through the main queue.
  void show() {
    delegate->showOverlay();
    fake.runLoop.advance(0);
  }
  // The live keyboard and the event reporting it agree, as they do on a real desktop.
  void modifiers(modifier::Flags flags, Scope scope = Scope::global) {
    fake.workspace.flags = flags;
    fake.events.flagsChanged(scope, flags);
  }

  // The view of the overlay on screen, or null when none is shown.
  const OverlayView* shownView() const {
    const OverlayWindowController* c = delegate->overlay();
    auto* panel = c ? dynamic_cast<RecordingPanel*>(c->window.get()) : nullptr;
    return panel && panel->onScreen() ? panel->settings.content.get() : nullptr;
  }
  // Its application's name, and the line it gives in place of the rows; "" when none is shown.
  std::string shownApp() const { return shownView() ? shownView()->appName() : ""; }
  std::string shownReason() const { return shownView() ? shownView()->emptyReasonLine() : ""; }
  // Panels put on screen; one prepared and never shown does not count.
  std::size_t panelsMade() const {
    return static_cast<std::size_t>(
        std::count_if(fake.panels.created.begin(), fake.panels.created.end(),
                      [](const auto& p) { return p->orderedFront > 0; }));
  }
};

}  // namespace tavrine::doubles
