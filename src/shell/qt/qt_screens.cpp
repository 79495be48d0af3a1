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

std::optional<std::size_t> placementScreen(settings::Placement placement,
                                           std::optional<std::size_t> focusScreen,
                                           std::optional<std::size_t> pointerScreen,
                                           bool pointerKnown) {
  using settings::Placement;
  if (placement == Placement::primary) return std::nullopt;
  if (placement == Placement::frontApplication && focusScreen) return focusScreen;
  return pointerKnown ? pointerScreen : std::nullopt;
}

std::optional<Rect> QtScreens::mainScreenVisibleFrame() const {
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QList<QScreen*> screens = QGuiApplication::screens();
  const auto indexOf = [&screens](const QScreen* screen) -> std::optional<std::size_t> {
    const auto at = screens.indexOf(screen);
    if (screen == nullptr || at < 0) return std::nullopt;
    return static_cast<std::size_t>(at);
  };
  std::optional<std::size_t> focus;
  if (focus_) {
    if (const std::optional<Point> centre = focus_()) {
      focus = indexOf(screenAtNativePoint(QPoint(static_cast<int>(std::floor(centre->x)),
                                                 static_cast<int>(std::floor(centre->y)))));
    }
  }
  const std::optional<std::size_t> pointer = indexOf(QGuiApplication::screenAt(QCursor::pos()));
  const std::optional<std::size_t> chosen =
      placementScreen(placement_, focus, pointer, pointerFallback_);
  return visibleFrameOf(chosen ? screens.at(static_cast<qsizetype>(*chosen)) : primary, primary);
}

}  // namespace tavrine::qt
