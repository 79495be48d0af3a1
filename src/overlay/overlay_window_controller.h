// SPDX-License-Identifier: MIT
// Owns the floating panel that shows the overlay: one new panel and view per show, centred on
// the main screen.
#pragma once

#include <string>
#include <vector>

#include "harvest/shortcut_item.h"
#include "i18n/translation_helper.h"
#include "overlay/overlay_view.h"
#include "platform/geometry.h"
#include "platform/panel.h"
#include "platform/screen.h"

namespace tavrine {

class OverlayWindowController {
 public:
  static constexpr double kWidthShare = 0.85;
  static constexpr double kHeightShare = 0.8;
  static constexpr double kMaxWidth = 1200;
  static constexpr double kMaxHeight = 800;

  // The ports and `t` must outlive the controller. Every view it shows has `style`.
  OverlayWindowController(ScreenPort& screens, PanelPort& panels, TranslationHelper& t,
                          OverlayStyle style = {});

  // The panel shown last, or none. Hiding the overlay closes it and clears the field.
  PanelRef window;
  // Given to every view shown from now on.
  std::weak_ptr<OverlayActions> actions;

  // Closes the panel shown before, then shows `items` (in harvest order, grouped by top-level
  // menu) for `appName` (in Chinese `appNameZH`, where given) in a new panel, with
  // `systemShortcuts` in the system section. Without a main screen nothing new is shown and
  // `window` still holds the closed panel.
  void showWithShortcuts(const std::vector<ShortcutItem>& items, const std::string& appName,
                         const std::vector<SourcedShortcut>& systemShortcuts,
                         const std::string& appNameZH = {});

  // The panel's content rectangle on a screen whose visible frame is `visibleFrame`: a share of
  // it up to a cap, centred on it; no minimum size.
  static Rect panelFrame(const Rect& visibleFrame);

 private:
  ScreenPort& screens_;
  PanelPort& panels_;
  TranslationHelper& t_;
  OverlayStyle style_;
};

}  // namespace tavrine
