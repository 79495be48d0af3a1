// SPDX-License-Identifier: MIT
#include "shell/qt/qt_screens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace tavrine::qt {

Rect toCoreRect(const QRectF& r, const QRectF& primary) {
  return Rect{{r.x() - primary.x(), primary.bottom() - r.bottom()}, {r.width(), r.height()}};
}

QRectF toQtRect(const Rect& r, const QRectF& primary) {
  return QRectF(r.minX() + primary.x(), primary.bottom() - r.maxY(), r.width(), r.height());
}

std::optional<Rect> visibleFrameOf(const QScreen* screen, const QScreen* primary) {
  if (!screen) return std::nullopt;
  const QRectF primaryGeometry = (primary ? primary : screen)->geometry();
  return toCoreRect(screen->availableGeometry(), primaryGeometry);
}

QScreen* screenAtNativePoint(const QPoint& nativePoint) {
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect logical = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    const QRect native(logical.topLeft(),
                       QSize(static_cast<int>(std::lround(logical.width() * ratio)),
                             static_cast<int>(std::lround(logical.height() * ratio))));
    if (native.contains(nativePoint)) return screen;
  }
  return nullptr;
}

std::optional<Rect> QtScreens::mainScreenVisibleFrame() const {
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QScreen* screen = nullptr;
  if (focus_) {
    if (const std::optional<Point> centre = focus_()) {
      screen = screenAtNativePoint(
          QPoint(static_cast<int>(std::floor(centre->x)), static_cast<int>(std::floor(centre->y))));
    }
  }
  if (screen == nullptr && pointerFallback_) screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = primary;
  return visibleFrameOf(screen, primary);
}

}  // namespace tavrine::qt
