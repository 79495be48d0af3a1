// An application delegate on test doubles: a virtual clock, a scripted event feed, in-memory
// applications and a recording status bar, screen and panels.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/app_delegate.h"
#include "i18n/translation_helper.h"
#include "overlay/overlay_view.h"
#include "support/fake_platform.h"

namespace tavrine::doubles {

struct AppHarness {
  TranslationHelper t;  // a private language flag, so tests never touch the shared one
  FakePlatform fake;
  std::shared_ptr<AppDelegate> delegate;

  explicit AppHarness(bool trusted = true, OverlayStyle style = {}) {
    fake.trust.setTrusted(trusted);
    fake.events.setGlobalMonitorsAvailable(trusted);
    delegate = AppDelegate::create(fake.platform(), t, style);
    fake.statusBar.setResponderChainEnd(delegate);
  }

  void launch() { delegate->applicationDidFinishLaunching(); }

  // Makes an application from a menu-bar description (see ax::parseMenuTree), puts it in front
  // and returns its tree.
  std::shared_ptr<ax::MemoryTree> bringToFront(std::int32_t pid, std::optional<std::string> name,
                                               std::string_view menus) {
    ax::MenuTreeParse parsed = ax::parseMenuTree(menus);
    if (!parsed.tree) throw std::invalid_argument(parsed.error);
    fake.accessibility.add(pid, parsed.tree);
    fake.workspace.setFrontmost(pid, std::move(name));
    return parsed.tree;
  }

  // The live keyboard and the event reporting it agree, as they do on a real desktop.
  void modifiers(modifier::Flags flags, Scope scope = Scope::global) {
    fake.workspace.setModifierFlags(flags);
    fake.events.flagsChanged(scope, flags);
  }

  // The panel shown now: the controller's window if it is on screen.
  std::shared_ptr<RecordingPanel> shownPanel() const {
    if (!delegate->overlayController || !delegate->overlayController->window) return nullptr;
    auto panel = std::dynamic_pointer_cast<RecordingPanel>(delegate->overlayController->window);
    return panel && panel->onScreen() ? panel : nullptr;
  }
  std::size_t releasePolls() const {
    return fake.runLoop.liveTimerCount(AppDelegate::kReleasePollInterval, true);
  }
};

}  // namespace tavrine::doubles
