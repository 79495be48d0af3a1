// SPDX-License-Identifier: MIT
// Every port's test double, with the Platform bundle of references to them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "backends/memory/memory_accessibility.h"
#include "harvest/accessibility_helper.h"
#include "harvest/key_equivalent.h"
#include "ports/application.h"
#include "ports/focus.h"
#include "ports/key_sender.h"
#include "ports/panel.h"
#include "ports/platform.h"
#include "ports/screen.h"
#include "ports/trust.h"
#include "ports/workspace.h"
#include "sources/menu_bar/menu_bar_source.h"
#include "sources/system/system_shortcuts.h"
#include "support/recording_status_bar.h"
#include "support/scripted_events.h"
#include "support/virtual_run_loop.h"

namespace tavrine::doubles {

// The shortcuts of the menu bar in samples/`file`, harvested as the overlay cycle would.
// A record of a menu item whose key equivalent is `key` with the menu-item `mask` (Shift 1,
// Option 2, Control 4, no Command 8), as the walk makes it.
inline ShortcutItem record(std::string menu, std::string title, std::string_view key,
                           std::int64_t mask = 0) {
  return ShortcutItem(std::move(menu), std::move(title), keyEquivalentChord(mask, key));
}

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
  std::size_t orderedFront = 0;
  std::size_t closes = 0;
  std::size_t madeKey = 0;
  std::size_t othersOnScreenWhenShown = 0;
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
  // Every panel made, kept alive so that closed ones can be inspected.
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
  std::vector<ShortcutSourceRef> sources(Desktop desktop = Desktop::macOS) const {
    return {std::make_shared<MenuBarSource>(accessibility),
            std::make_shared<SystemShortcuts>(desktop)};
  }
};

}  // namespace tavrine::doubles
