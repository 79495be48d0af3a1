// SPDX-License-Identifier: MIT
#include "shell/qt_symbols.h"

#include <QPainterPath>
#include <QPen>
#include <algorithm>

namespace tavrine::qt {

QSizeF symbolSize(Symbol symbol, double pointSize) {
  switch (symbol) {
    case Symbol::globe:
      return {1.1 * pointSize, 1.1 * pointSize};
    case Symbol::chevronDown:
      return {1.1 * pointSize, 0.65 * pointSize};
  }
  return {};
}

void paintSymbol(QPainter& painter, Symbol symbol, const QRectF& frame, const QColor& color) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  switch (symbol) {
    case Symbol::globe: {
      // Circle, one meridian and the equator.
      const double stroke = std::max(1.0, frame.height() / 11);
      QPen pen(color, stroke);
      painter.setPen(pen);
      const QRectF circle = frame.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
      painter.drawEllipse(circle);
      const double meridian = circle.width() * 0.42;
      painter.drawEllipse(
          QRectF(circle.center().x() - meridian / 2, circle.top(), meridian, circle.height()));
      painter.drawLine(QPointF(circle.left(), circle.center().y()),
                       QPointF(circle.right(), circle.center().y()));
      break;
    }
    case Symbol::chevronDown: {
      const double stroke = std::max(1.0, frame.width() / 6);
      QPen pen(color, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
      painter.setPen(pen);
      const QRectF inner = frame.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
      QPainterPath path(inner.topLeft());
      path.lineTo(inner.center().x(), inner.bottom());
      path.lineTo(inner.topRight());
      painter.drawPath(path);
      break;
    }
  }
  painter.restore();
}

}  // namespace tavrine::qt
