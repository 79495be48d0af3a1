// SPDX-License-Identifier: MIT
#include "overlay/overlay_window_controller.h"

#include <algorithm>
#include <memory>

#include "overlay/grouped_shortcuts.h"
#include "overlay/overlay_view.h"

namespace tavrine {

OverlayWindowController::OverlayWindowController(ScreenPort& screens, PanelPort& panels,
                                                 TranslationHelper& t, OverlayStyle style)
    : screens_(screens), panels_(panels), t_(t), style_(style) {}

Rect OverlayWindowController::panelFrame(const Rect& visibleFrame) {
  const double width = std::min(kWidthShare * visibleFrame.width(), kMaxWidth);
  const double height = std::min(kHeightShare * visibleFrame.height(), kMaxHeight);
  return Rect{{visibleFrame.midX() - width / 2, visibleFrame.midY() - height / 2}, {width, height}};
}

void OverlayWindowController::showWithShortcuts(const std::vector<ShortcutItem>& items,
                                                const std::string& appName,
                                                const std::vector<SourcedShortcut>& systemShortcuts,
                                                const std::string& appNameZH) {
  // At most one overlay on screen: the previous panel goes even when no new one can be shown.
  if (window) window->close();

  auto view = std::make_shared<OverlayView>(appName, groupByMenu(items), t_, style_,
                                            systemShortcuts, appNameZH);
  view->setActions(actions);

  const std::optional<Rect> visibleFrame = screens_.mainScreenVisibleFrame();
  if (!visibleFrame) return;

  PanelSettings settings;
  settings.content = std::move(view);
  PanelRef panel = panels_.makePanel(panelFrame(*visibleFrame), settings);
  if (panel) panel->orderFrontRegardless();
  window = std::move(panel);
}

}  // namespace tavrine
