// SPDX-License-Identifier: MIT
#include "shell/qt/qt_status_icon.h"

#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QRectF>
#include <algorithm>
#include <cmath>

namespace tavrine::qt {
namespace {

// The badge's two tones: a light sign on a dark square stands out on light panels by the
// square and on dark ones by the sign.
constexpr QRgb kBadgeFill = qRgb(36, 36, 40);
constexpr QRgb kBadgeSign = qRgb(245, 245, 247);

class CommandSquareEngine final : public QIconEngine {
 public:
  explicit CommandSquareEngine(bool badge) : badge_(badge) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    const double side = std::min(rect.width(), rect.height());
    if (side <= 0) return;
    QColor color = badge_ ? QColor(kBadgeSign)
                          : QGuiApplication::palette().color(
                                mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active,
                                QPalette::WindowText);
    if (badge_ && mode == QIcon::Disabled) color.setAlphaF(0.5);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    // A whole-pixel stroke on a whole-pixel inset covers whole pixels: sharp at small sizes.
    const double stroke = std::max(1.0, std::floor(side / 14.0 + 0.25));
    const bool oddStroke = static_cast<int>(stroke) % 2 == 1;
    // Where a line of the sign goes: on a pixel centre for an odd stroke, a pixel edge for even.
    const auto snap = [oddStroke](double v) {
      return oddStroke ? std::floor(v) + 0.5 : std::round(v);
    };
    const QPointF origin(rect.x() + (rect.width() - side) / 2,
                         rect.y() + (rect.height() - side) / 2);

    QPen pen(color, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);

    // The rounded square, inset so that its stroke stays inside the rectangle.
    const double inset = std::round(side / 16.0) + stroke / 2;
    const QRectF frame(origin.x() + inset, origin.y() + inset, side - 2 * inset, side - 2 * inset);
    const double radius = frame.width() * 0.22;
    painter->setBrush(badge_ ? QBrush(QColor(kBadgeFill)) : QBrush(Qt::NoBrush));
    painter->drawRoundedRect(frame, radius, radius);
    painter->setBrush(Qt::NoBrush);

    // ⌘: the four sides of a central square, each extended at both ends into a loop of three
    // quarters of a circle that meets the perpendicular side.
    const QPointF c(std::round(frame.center().x()), std::round(frame.center().y()));
    const double span = frame.width() * 0.56;  // the whole sign, loop to loop
    const double r = span / 6;                 // loop radius
    // Half the central square (as wide as a loop), so that its sides fall on whole pixels.
    const double k = snap(c.x() + span / 2 - 2 * r) - c.x();
    QPainterPath sign;
    for (const int sx : {-1, 1}) {
      // Vertical sides x = ±k and horizontal sides y = ±k, from loop to loop.
      sign.moveTo(c.x() + sx * k, c.y() - k - r);
      sign.lineTo(c.x() + sx * k, c.y() + k + r);
      sign.moveTo(c.x() - k - r, c.y() + sx * k);
      sign.lineTo(c.x() + k + r, c.y() + sx * k);
    }
    // Each loop leaves out the quarter that faces the centre; angles count anticlockwise from
    // three o'clock, with y growing downwards.
    struct Loop {
      int sx, sy;
      double facing;  // start of the omitted quarter
    };
    for (const Loop& loop : {Loop{-1, -1, 270}, Loop{1, -1, 180}, Loop{1, 1, 90}, Loop{-1, 1, 0}}) {
      const QPointF centre(c.x() + loop.sx * (k + r), c.y() + loop.sy * (k + r));
      const QRectF circle(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
      sign.arcMoveTo(circle, loop.facing + 90);
      sign.arcTo(circle, loop.facing + 90, 270);
    }
    painter->drawPath(sign);
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    if (!size.isEmpty()) {
      QPainter p(&pm);
      paint(&p, QRect(QPoint(0, 0), size), mode, state);
    }
    return pm;
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return commandSquareIconSizes();
  }
  QString key() const override { return QStringLiteral("TavrineCommandSquare"); }
  QIconEngine* clone() const override { return new CommandSquareEngine(*this); }
  bool isNull() override { return false; }

 private:
  bool badge_;
};

}  // namespace

QList<QSize> commandSquareIconSizes() {
  return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(44, 44), QSize(64, 64)};
}

QIcon commandSquareIcon() {
  QIcon icon(new CommandSquareEngine(false));
  icon.setIsMask(true);
  return icon;
}

QIcon commandSquareBadge() {
  return QIcon(new CommandSquareEngine(true));
}

QIcon commandSquareIcon(const QString& themeName) {
  // hasThemeIcon first: fromTheme alone would fall back to a shorter name's icon (the coloured
  // application icon for "…-symbolic") where the theme's file cannot be read (an SVG without
  // Qt's SVG icon engine).
  if (themeName.isEmpty() || !QIcon::hasThemeIcon(themeName)) {
#ifdef Q_OS_MACOS
    return commandSquareIcon();  // the menu bar tints it
#else
    return commandSquareBadge();  // nothing recolours it
#endif
  }
  // Named, the icon reaches StatusNotifierItem hosts by name, so the desktop draws and recolours
  // it itself.
  QIcon icon = QIcon::fromTheme(themeName);
  icon.setIsMask(true);
  return icon;
}

}  // namespace tavrine::qt
