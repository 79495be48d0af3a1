// SPDX-License-Identifier: MIT
// Every port's test double, with the Platform bundle of references to them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backends/memory/memory_accessibility.h"
#include "harvest/accessibility_helper.h"
#include "harvest/key_equivalent.h"
#include "ports/application.h"
#include "ports/event_monitor.h"
#include "ports/focus.h"
#include "ports/key_sender.h"
#include "ports/panel.h"
#include "ports/platform.h"
#include "ports/run_loop.h"
#include "ports/screen.h"
#include "ports/status_bar.h"
#include "ports/trust.h"
#include "ports/workspace.h"
#include "sources/menu_bar/menu_bar_source.h"
#include "sources/system/system_shortcuts.h"

namespace tavrine::doubles {

// A menu item's record as the walk makes it; `mask`: Shift 1, Option 2, Control 4, no Command 8.
inline ShortcutItem record(std::string menu, std::string title, std::string_view key,
                           std::int64_t mask = 0) {
  return ShortcutItem(std::move(menu), std::move(title), keyEquivalentChord(mask, key));
}

// The shortcuts of the menu bar in samples/`file`, harvested as the overlay cycle would.
inline std::vector<ShortcutEntry> sampleShortcuts(const std::string& file) {
  const ax::MenuTreeParse parsed =
      ax::loadMenuTree(std::filesystem::path(TAVRINE_SAMPLES_DIR) / file);
  if (!parsed.tree) throw std::invalid_argument(parsed.error);
  const std::vector<ShortcutItem> items =
      AccessibilityHelper::getShortcuts(parsed.tree->application());
  return {items.begin(), items.end()};
}

// What the application does is the Qt shell's to check, on the real application.
struct QuietApplication final : ApplicationPort {
  void setActivationPolicy(ActivationPolicy) override {}
  void orderFrontStandardAboutPanel() override {}
  void terminate() override {}
};

// The frontmost application and the live modifier state, as a test sets them.
struct FakeWorkspace final : WorkspacePort {
  std::optional<RunningApplication> frontmostApplication() const override { return frontmost; }
  std::uint64_t modifierFlags() const override { return flags; }
  std::optional<RunningApplication> frontmost;
  std::uint64_t flags = 0;
};

// Trust a test grants or withdraws, counting the prompts shown.
struct FakeTrust final : TrustPort {
  bool isProcessTrusted() const override { return trusted; }
  bool isProcessTrustedWithPrompt() override {
    ++prompts;
    return trusted;
  }
  bool trusted = false;
  std::size_t prompts = 0;
};

struct FakeScreens final : ScreenPort {
  std::optional<Rect> mainScreenVisibleFrame() const override { return visibleFrame; }
  std::optional<Rect> visibleFrame = Rect{{0, 0}, {1440, 875}};  // none: no screen attached
};

// Panels recorded from creation to close.
struct RecordingPanel final : Panel {
  void orderFrontRegardless() override {
    if (orderedFront == 0 && onScreenNow) othersOnScreenWhenShown = onScreenNow();
    ++orderedFront;
  }
  void close() override { ++closes; }
  void makeKey() override { ++madeKey; }
  bool onScreen() const { return orderedFront > 0 && closes == 0; }
  Rect contentRect;
  PanelSettings settings;
  std::size_t orderedFront = 0, closes = 0, madeKey = 0, othersOnScreenWhenShown = 0;
  std::function<std::size_t()> onScreenNow;
};

struct RecordingPanels final : PanelPort {
  PanelRef makePanel(const Rect& contentRect, const PanelSettings& settings) override {
    auto panel = std::make_shared<RecordingPanel>();
    panel->contentRect = contentRect;
    panel->settings = settings;
    panel->onScreenNow = [this] { return onScreenCount(); };
    created.push_back(panel);
    return panel;
  }
  std::size_t onScreenCount() const {
    return static_cast<std::size_t>(
        std::count_if(created.begin(), created.end(), [](const auto& p) { return p->onScreen(); }));
  }
  std::vector<std::shared_ptr<RecordingPanel>> created;
};

// The window with the keyboard, as a test sets it, and every window given the keyboard back.
struct RecordingFocus final : FocusPort {
  WindowHandle focusedWindow() const override { return focused; }
  bool giveFocusTo(WindowHandle window) override {
    given.push_back(window);
    if (accepts) focused = window;
    return accepts;
  }
  WindowHandle focused = 0;
  bool accepts = true;  // false: the window has gone
  std::vector<WindowHandle> given;
};

// Types any chord but `untypable`, into the focused window, once `ready`.
struct RecordingKeys final : KeySenderPort {
  explicit RecordingKeys(const RecordingFocus& f) : focus(f) {}
  bool canType(const KeyChord& chord) const override { return chord != untypable; }
  bool readyFor(WindowHandle window) const override { return ready && focus.focused == window; }
  bool send(WindowHandle window, const KeyChord& chord) override {
    if (!readyFor(window)) return false;
    sent.emplace_back(focus.focused, chord);
    return true;
  }
  const RecordingFocus& focus;
  KeyChord untypable;
  bool ready = true;
  std::vector<std::pair<WindowHandle, KeyChord>> sent;
};

// A run loop on a virtual clock that a test moves: posted tasks (from any thread) run first, in
// order; timers fire in time order, ties in creation order.
class VirtualRunLoop final : public RunLoopPort {
 public:
  TimerRef scheduleTimer(double seconds, bool repeats, TimerBlock block) override {
    auto timer = std::make_shared<VirtualTimer>();
    // Platforms clamp tiny intervals; a zero one would never let the clock move.
    timer->intervalNs = std::max<std::int64_t>(std::llround(seconds * 1e9), 100'000);
    timer->repeats = repeats;
    timer->fireAtNs = nowNs_ + timer->intervalNs;
    timer->block = std::move(block);
    timers_.push_back(timer);
    return timer;
  }
  void postToMainQueue(Task task) override {
    const std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(task));
  }

  // Runs every task and timer that comes due within `seconds`, then the tasks left.
  void advance(double seconds) {
    const std::int64_t targetNs = nowNs_ + std::llround(seconds * 1e9);
    for (;;) {
      runPostedTasks();
      const std::shared_ptr<VirtualTimer> timer = nextTimer();
      if (!timer || timer->fireAtNs > targetNs) break;
      fire(timer);
    }
    nowNs_ = std::max(nowNs_, targetNs);
  }
  // Fires the next timer alone: what it posts waits for the next advance.
  bool fireNextTimer() {
    const std::shared_ptr<VirtualTimer> timer = nextTimer();
    if (timer) fire(timer);
    return timer != nullptr;
  }
  std::size_t liveTimerCount() const {
    return static_cast<std::size_t>(
        std::count_if(timers_.begin(), timers_.end(), [](const auto& t) { return t->valid; }));
  }

 private:
  struct VirtualTimer final : Timer {
    void invalidate() override { valid = false; }
    bool isValid() const override { return valid; }
    std::int64_t intervalNs = 0;
    bool repeats = false;
    std::int64_t fireAtNs = 0;
    TimerBlock block;
    bool valid = true;
  };

  void runPostedTasks() {
    for (;;) {
      Task task;
      {
        const std::lock_guard lock(postedMutex_);
        if (posted_.empty()) return;
        task = std::move(posted_.front());
        posted_.pop_front();
      }
      task();
    }
  }
  // The first of the earliest: timers_ is in creation order.
  std::shared_ptr<VirtualTimer> nextTimer() const {
    std::shared_ptr<VirtualTimer> best;
    for (const auto& t : timers_)
      if (t->valid && (!best || t->fireAtNs < best->fireAtNs)) best = t;
    return best;
  }
  void fire(const std::shared_ptr<VirtualTimer>& timer) {
    nowNs_ = std::max(nowNs_, timer->fireAtNs);
    while (timer->fireAtNs <= nowNs_)  // a late repeating timer fires once
      timer->fireAtNs += timer->intervalNs;
    if (!timer->repeats) timer->valid = false;
    // Copied: the block may drop the last other reference to its timer.
    const std::shared_ptr<VirtualTimer> keep = timer;
    const TimerBlock block = timer->block;
    block(*keep);
    std::erase_if(timers_, [](const auto& t) { return !t->valid; });
  }

  std::int64_t nowNs_ = 0;  // whole nanoseconds: 0.5 + 0.1 lands where a test expects it
  std::vector<std::shared_ptr<VirtualTimer>> timers_;
  std::mutex postedMutex_;  // other threads post too
  std::deque<Task> posted_;
};

// Events a test delivers to the monitors installed, for this process (local) or another (global).
struct ScriptedEvent final : Event {
  explicit ScriptedEvent(modifier::Flags eventFlags) : flags(eventFlags) {}
  modifier::Flags modifierFlags() const override { return flags; }
  modifier::Flags flags;
};

enum class Scope { local, global };

class ScriptedEvents final : public EventMonitorPort {
 public:
  MonitorToken addLocalMonitor(EventMask mask, LocalHandler handler) override {
    monitors_.push_back({Scope::local, mask, std::move(handler), {}});
    return std::make_shared<int>(0);
  }
  MonitorToken addGlobalMonitor(EventMask mask, GlobalHandler handler) override {
    ++globalAttempts;
    if (!globalMonitorsAvailable) return nullptr;
    monitors_.push_back({Scope::global, mask, {}, std::move(handler)});
    return std::make_shared<int>(0);
  }

  MonitorToken addFrontmostMonitor(FrontHandler handler) override {
    if (!globalMonitorsAvailable) return nullptr;
    fronts_.push_back(std::move(handler));
    return std::make_shared<int>(0);
  }
  // Another application may be in front.
  void frontChanged() {
    for (const FrontHandler& handler : std::vector<FrontHandler>(fronts_))
      handler();
  }

  // Global installations fail (return no token) while this is false, as without trust.
  bool globalMonitorsAvailable = true;
  std::size_t globalAttempts = 0;

  // Local monitors form a chain (null swallows the event); returns what would be dispatched.
  EventRef flagsChanged(Scope scope, modifier::Flags flags) {
    return deliver(scope, kEventMaskFlagsChanged, flags);
  }
  EventRef keyDown(Scope scope, modifier::Flags flags) {
    return deliver(scope, kEventMaskKeyDown, flags);
  }
  std::size_t monitorCount(Scope scope, EventMask mask) const {
    return static_cast<std::size_t>(
        std::count_if(monitors_.begin(), monitors_.end(),
                      [&](const Monitor& m) { return m.scope == scope && m.mask == mask; }));
  }

 private:
  struct Monitor {
    Scope scope;
    EventMask mask;
    LocalHandler local;
    GlobalHandler global;
  };
  EventRef deliver(Scope scope, EventMask type, modifier::Flags flags) {
    const auto event = std::make_shared<const ScriptedEvent>(flags);
    EventRef result = event;
    for (const Monitor& m : std::vector<Monitor>(monitors_)) {  // a handler may add monitors
      if (m.scope != scope || !(m.mask & type) || !result) continue;
      if (scope == Scope::local) result = m.local(result);
      if (scope == Scope::global) m.global(*event);
    }
    return result;
  }

  std::vector<Monitor> monitors_;
  std::vector<FrontHandler> fronts_;
};

// Records the status items and menus built, and opens and chooses as a user would. The icon is
// the Qt shell's tests' to check.
struct RecordingStatusItem final : StatusItem, StatusBarButton {
  StatusBarButton* button() override { return this; }
  void setImage(ImageRef) override {}
  void setMenu(MenuRef newMenu) override { menu = std::move(newMenu); }
  double length = 0;
  MenuRef menu;
};

struct RecordingStatusBar final : StatusBarPort {
  StatusItemRef statusItemWithLength(double length) override {
    auto item = std::make_shared<RecordingStatusItem>();
    item->length = length;
    items.push_back(item);
    return item;
  }
  ImageRef systemSymbolImage(std::string_view, std::string_view) override { return nullptr; }

  MenuRef menu() const { return items.empty() ? nullptr : items.front()->menu; }
  // A click on the status item: tells the menu's delegate, then returns the menu.
  MenuRef open() {
    if (menu()) menu()->willOpen();
    return menu();
  }
  // The item reached from the menu by following `titles` through submenus, or null.
  MenuItemRef find(const std::vector<std::string>& titles) const {
    MenuItemRef found;
    for (const std::string& title : titles) {
      const MenuRef level = found ? found->submenu() : menu();
      found = nullptr;
      for (const MenuItemRef& item : level ? level->itemArray() : std::vector<MenuItemRef>{})
        if (!item->isSeparator() && item->title() == title) found = item;
      if (!found) return nullptr;
    }
    return found;
  }
  // Whether an action was performed. The titles are copied: the opening may rewrite them.
  bool choose(std::initializer_list<std::string_view> titles) {
    const std::vector<std::string> path(titles.begin(), titles.end());
    open();
    const MenuItemRef item = find(path);
    return item && item->isEnabled() &&
           performMenuItemAction(*item, responderChainEnd.lock().get());
  }

  // Where actions of items without a target end up (the application delegate).
  std::weak_ptr<MenuActionTarget> responderChainEnd;
  std::vector<std::shared_ptr<RecordingStatusItem>> items;
};

struct FakePlatform {
  QuietApplication application;
  VirtualRunLoop runLoop;
  ScriptedEvents events;
  FakeWorkspace workspace;
  FakeTrust trust;
  ax::MemoryAccessibility accessibility;
  RecordingStatusBar statusBar;
  FakeScreens screens;
  RecordingPanels panels;
  RecordingFocus focus;
  RecordingKeys keys{focus};

  Platform platform() {
    return Platform{application, runLoop, events, workspace, trust, accessibility,
                    statusBar,   screens, panels, &focus,    &keys};
  }
  // What the program asks: the menu bar, then the system catalogue.
  std::vector<ShortcutSourceRef> sources() const {
    return {std::make_shared<MenuBarSource>(accessibility),
            std::make_shared<SystemShortcuts>(Desktop::macOS)};
  }
};

}  // namespace tavrine::doubles
