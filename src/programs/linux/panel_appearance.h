// SPDX-License-Identifier: MIT
// The panel's look as the user's settings and the desktop say: light or dark (fixed, or the
// desktop's preference followed live), the size, and the screen it appears on.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "backends/linux/dbus/appearance_portal.h"
#include "backends/linux/dbus/session_bus.h"
#include "backends/linux/xdg/desktop_color_scheme.h"
#include "model/desktop.h"
#include "settings/settings.h"
#include "shell/overlay/qt_panel.h"
#include "shell/qt/qt_screens.h"

namespace tavrine::program {

// Dark or light by `appearance`: fixed, or the desktop's preference, the settings portal's
// (`portal`, none where no portal answers) before the desktop's own (`desktop`). No preference
// anywhere keeps the dark look.
bool resolveDark(settings::Appearance appearance, std::optional<dbus::ColorScheme> portal,
                 std::optional<bool> desktop);

class PanelAppearance {
 public:
  using Subscription = std::shared_ptr<void>;

  // The ports must outlive this; `bus` is processed where the program processes it. Starts
  // following the desktop's preference at once.
  PanelAppearance(dbus::SessionBus& bus, Desktop desktop, std::string kdeglobals,
                  qt::QtPanelPort& panels, qt::QtScreens& screens);

  // The user's appearance, size and placement, for the panels from now on (and the one open).
  // Called once at start, with the defaults when there is no settings file, and at each change.
  void apply(const settings::Settings& settings);

  // Whether the panel is dark now: what a window of the program's own (the settings) matches.
  bool isDark() const { return dark_; }
  // `changed` hears each change of isDark() until the subscription is dropped.
  Subscription subscribeDark(std::function<void(bool dark)> changed);

 private:
  void update();

  qt::QtPanelPort& panels_;
  qt::QtScreens& screens_;
  dbus::AppearancePortal portal_;
  xdg::DesktopColorScheme desktop_;
  settings::Appearance appearance_ = settings::Appearance::followDesktop;
  double scale_ = 1;
  bool dark_ = true;
  std::vector<std::weak_ptr<std::function<void(bool)>>> subscribers_;
};

}  // namespace tavrine::program
