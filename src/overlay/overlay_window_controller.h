// SPDX-License-Identifier: MIT
// Owns the floating panel that shows the overlay: one new panel and view per show, centred on
// the main screen. A show may be prepared ahead (view built, panel made and laid out, nothing on
// screen) so that putting it on screen costs no more than a map.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "harvest/shortcut_item.h"
#include "i18n/translation_helper.h"
#include "overlay/grouped_shortcuts.h"
#include "overlay/overlay_view.h"
#include "ports/geometry.h"
#include "ports/panel.h"
#include "ports/screen.h"

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

  // Closes the panel shown before, then shows `items` (rows in harvest order, grouped by top-level
  // menu) for `appName` (in Chinese `appNameZH`, where given; its icon `icon`, where given) in a
  // new panel, with `systemShortcuts` in the system section. Without a main screen nothing new is
  // shown and `window` still holds the closed panel.
  void showWithShortcuts(const std::vector<ShortcutEntry>& items, const std::string& appName,
                         const std::vector<ShortcutItem>& systemShortcuts,
                         const std::string& appNameZH = {}, ImageRef icon = nullptr);

  // The first half of a show: builds the view and makes its panel, off screen, replacing (and
  // closing) one prepared before and not shown. False, with nothing prepared, without a main
  // screen or a panel.
  // `emptyReason`: why there are no rows, said in their place.
  bool prepareWithShortcuts(const std::vector<ShortcutEntry>& items, const std::string& appName,
                            const std::vector<ShortcutItem>& systemShortcuts,
                            const std::string& appNameZH = {}, ImageRef icon = nullptr,
                            std::optional<EmptyReason> emptyReason = std::nullopt);
  // The same with the rows grouped already (groupByMenu), which a caller may do elsewhere.
  bool prepareWithGroups(GroupedShortcuts groups, const std::string& appName,
                         const std::vector<ShortcutItem>& systemShortcuts,
                         const std::string& appNameZH = {}, ImageRef icon = nullptr,
                         std::optional<EmptyReason> emptyReason = std::nullopt);
  // The second half: closes the panel shown before and puts the prepared one on screen in
  // `window`. Without a prepared panel it only closes, and `window` keeps the closed panel.
  void showPrepared();
  // Closes and drops the panel on screen and the one prepared.
  void hide();
  // The panel prepared and not yet shown, or none.
  const PanelRef& prepared() const { return prepared_; }

  // The panel's content rectangle on a screen whose visible frame is `visibleFrame`: a share of
  // it up to a cap (grown by `scale`, the size the content is drawn at), centred on it; no
  // minimum size.
  static Rect panelFrame(const Rect& visibleFrame, double scale = 1);

 private:
  ScreenPort& screens_;
  PanelPort& panels_;
  TranslationHelper& t_;
  OverlayStyle style_;
  PanelRef prepared_;
};

}  // namespace tavrine
