// SPDX-License-Identifier: MIT
#include "overlay/overlay_window_controller.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "overlay/grouped_shortcuts.h"
#include "overlay/overlay_view.h"

namespace tavrine {

OverlayWindowController::OverlayWindowController(ScreenPort& screens, PanelPort& panels,
                                                 TranslationHelper& t, OverlayStyle style)
    : screens_(screens), panels_(panels), t_(t), style_(style) {}

Rect OverlayWindowController::panelFrame(const Rect& visibleFrame, double scale) {
  const double width = std::min(kWidthShare * visibleFrame.width(), kMaxWidth * scale);
  const double height = std::min(kHeightShare * visibleFrame.height(), kMaxHeight * scale);
  return Rect{{visibleFrame.midX() - width / 2, visibleFrame.midY() - height / 2}, {width, height}};
}

void OverlayWindowController::showWithShortcuts(const std::vector<ShortcutEntry>& items,
                                                const std::string& appName,
                                                const std::vector<ShortcutItem>& systemShortcuts,
                                                const std::string& appNameZH, ImageRef icon) {
  // At most one overlay on screen: the previous panel goes before the next is made, and even
  // when no new one can be shown.
  if (window) window->close();
  prepareWithShortcuts(items, appName, systemShortcuts, appNameZH, std::move(icon));
  showPrepared();
}

bool OverlayWindowController::prepareWithShortcuts(const std::vector<ShortcutEntry>& items,
                                                   const std::string& appName,
                                                   const std::vector<ShortcutItem>& systemShortcuts,
                                                   const std::string& appNameZH, ImageRef icon,
                                                   std::optional<EmptyReason> emptyReason) {
  return prepareWithGroups(groupByMenu(items), appName, systemShortcuts, appNameZH, std::move(icon),
                           std::move(emptyReason));
}

bool OverlayWindowController::prepareWithGroups(GroupedShortcuts groups, const std::string& appName,
                                                const std::vector<ShortcutItem>& systemShortcuts,
                                                const std::string& appNameZH, ImageRef icon,
                                                std::optional<EmptyReason> emptyReason) {
  if (prepared_) prepared_->close();
  prepared_.reset();

  auto view = std::make_shared<OverlayView>(appName, std::move(groups), t_, style_, systemShortcuts,
                                            appNameZH, std::move(icon));
  view->setActions(actions);
  view->setEmptyReason(std::move(emptyReason));

  const std::optional<Rect> visibleFrame = screens_.mainScreenVisibleFrame();
  if (!visibleFrame) return false;

  PanelSettings settings;
  settings.content = std::move(view);
  prepared_ = panels_.makePanel(panelFrame(*visibleFrame, panels_.panelScale()), settings);
  return prepared_ != nullptr;
}

void OverlayWindowController::showPrepared() {
  if (window) window->close();
  if (!prepared_) return;
  window = std::move(prepared_);
  prepared_.reset();
  window->orderFrontRegardless();
}

void OverlayWindowController::hide() {
  if (window) window->close();
  window.reset();
  if (prepared_) prepared_->close();
  prepared_.reset();
}

}  // namespace tavrine
