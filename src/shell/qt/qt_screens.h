// SPDX-License-Identifier: MIT
// The screen port on Qt, and the conversion between Qt's screen coordinates (origin at the top
// left of the primary screen, y downwards) and the core's (origin at the lower left of the
// primary screen, y upwards), both in points (Qt's device-independent pixels).
#pragma once

#include <QPoint>
#include <QRectF>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>

#include "ports/screen.h"
#include "settings/settings.h"

class QScreen;

namespace tavrine::qt {

// `primaryGeometry` is the primary screen's geometry() in Qt coordinates.
Rect toCoreRect(const QRectF& qtRect, const QRectF& primaryGeometry);
QRectF toQtRect(const Rect& coreRect, const QRectF& primaryGeometry);

// The available geometry of `screen` in core coordinates; none for a null screen.
std::optional<Rect> visibleFrameOf(const QScreen* screen, const QScreen* primary);

// The screen that holds `nativePoint`, a point in the window system's own pixels (X11's root
// window coordinates): Qt keeps each screen's top-left corner there and scales its size.
QScreen* screenAtNativePoint(const QPoint& nativePoint);

// Which screen a panel goes to, by `placement`: the one with the window in front
// (`focusScreen`), the one under the pointer, or the primary one (none). The window in front
// falls back to the pointer, and both to the primary screen, where they are unknown; the
// pointer counts only when `pointerKnown`.
std::optional<std::size_t> placementScreen(settings::Placement placement,
                                           std::optional<std::size_t> focusScreen,
                                           std::optional<std::size_t> pointerScreen,
                                           bool pointerKnown);

class QtScreens final : public ScreenPort {
 public:
  // Where the window with the keyboard focus is (its centre), in the window system's pixels; none
  // when unknown. Qt cannot see other applications' windows; the platform backend can.
  using FocusLocator = std::function<std::optional<Point>()>;

  // `pointerFallback` false: where the locator does not know, the primary screen rather than
  // the one under the pointer (on XWayland the pointer is known only over X11 windows).
  explicit QtScreens(FocusLocator focus = {}, bool pointerFallback = true)
      : focus_(std::move(focus)), pointerFallback_(pointerFallback) {}

  // The available geometry (without panels, docks and the menu bar) of the screen the placement
  // chooses (placementScreen()).
  std::optional<Rect> mainScreenVisibleFrame() const override;

  // The user's choice of screen; the window in front's until told.
  void setPlacement(settings::Placement placement) { placement_ = placement; }

 private:
  FocusLocator focus_;
  bool pointerFallback_;
  settings::Placement placement_ = settings::Placement::frontApplication;
};

}  // namespace tavrine::qt
