#include "shell/qt_screens.h"

#include <QGuiApplication>
#include <QScreen>

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

std::optional<Rect> QtScreens::mainScreenVisibleFrame() const {
  const QScreen* primary = QGuiApplication::primaryScreen();
  return visibleFrameOf(primary, primary);
}

}  // namespace tavrine::qt
