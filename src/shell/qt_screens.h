// The screen port on Qt, and the conversion between Qt's screen coordinates (origin at the top
// left of the primary screen, y downwards) and the core's (origin at the lower left of the
// primary screen, y upwards), both in points (Qt's device-independent pixels).
#pragma once

#include <QRectF>
#include <optional>

#include "platform/screen.h"

class QScreen;

namespace tavrine::qt {

// `primaryGeometry` is the primary screen's geometry() in Qt coordinates.
Rect toCoreRect(const QRectF& qtRect, const QRectF& primaryGeometry);
QRectF toQtRect(const Rect& coreRect, const QRectF& primaryGeometry);

// The available geometry of `screen` in core coordinates; none for a null screen.
std::optional<Rect> visibleFrameOf(const QScreen* screen, const QScreen* primary);

class QtScreens final : public ScreenPort {
 public:
  // The primary screen's available geometry (without panels, docks and the menu bar): Qt cannot
  // see which screen holds another application's focused window.
  std::optional<Rect> mainScreenVisibleFrame() const override;
};

}  // namespace tavrine::qt
