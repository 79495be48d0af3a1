// SPDX-License-Identifier: MIT
#include "shell/qt/qt_symbols.h"

#include <QPainterPath>
#include <QPen>
#include <QTransform>
#include <algorithm>
#include <initializer_list>

namespace tavrine::qt {
namespace {

// Key glyphs are a square this many font sizes wide, about the height of a capital letter, and
// stroked this many times thinner than the square: one size and weight for all of them.
constexpr double kKeyGlyphSide = 0.8;
constexpr double kKeyGlyphStroke = 8;

// A polyline through points of the unit square (y grows downward).
void polyline(QPainterPath& path, std::initializer_list<QPointF> points, bool closed = false) {
  auto p = points.begin();
  path.moveTo(*p);
  for (++p; p != points.end(); ++p)
    path.lineTo(*p);
  if (closed) path.closeSubpath();
}

// An arrow pointing up the middle of the unit square, with a shaft from `tail` up to the tip.
void upArrow(QPainterPath& path, double tail = 0.95) {
  polyline(path, {{0.5, tail}, {0.5, 0.05}});
  polyline(path, {{0.17, 0.38}, {0.5, 0.05}, {0.83, 0.38}});
}

// The key glyph in the unit square, and the turn (degrees clockwise) and mirroring that make it
// from a shape drawn once.
QPainterPath keyGlyph(Symbol symbol, double& turn, bool& mirrored) {
  QPainterPath path;
  turn = 0;
  mirrored = false;
  switch (symbol) {
    case Symbol::control:
      polyline(path, {{0.12, 0.66}, {0.5, 0.24}, {0.88, 0.66}});
      break;
    case Symbol::option:
      polyline(path, {{0, 0.22}, {0.32, 0.22}, {0.68, 0.82}, {1, 0.82}});
      polyline(path, {{0.6, 0.22}, {1, 0.22}});
      break;
    case Symbol::shift:
      polyline(path,
               {{0.5, 0.02},
                {0.98, 0.5},
                {0.73, 0.5},
                {0.73, 0.96},
                {0.27, 0.96},
                {0.27, 0.5},
                {0.02, 0.5}},
               true);
      break;
    case Symbol::command: {
      // One stroke: the sides of a middle square run on into a loop at each corner.
      constexpr double a = 0.34;
      constexpr double b = 0.66;
      constexpr double r = 0.17;
      const auto loop = [&](QPointF centre, double start) {
        path.arcTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), start, 270);
      };
      path.moveTo(a, a);
      path.lineTo(a, r);
      loop({r, r}, 0);
      path.lineTo(1 - r, a);
      loop({1 - r, r}, 270);
      path.lineTo(b, 1 - r);
      loop({1 - r, 1 - r}, 180);
      path.lineTo(r, b);
      loop({r, 1 - r}, 90);
      path.closeSubpath();
      break;
    }
    case Symbol::deleteForward:
      mirrored = true;
      [[fallthrough]];
    case Symbol::deleteBackward:
      polyline(path, {{0.02, 0.5}, {0.32, 0.14}, {0.98, 0.14}, {0.98, 0.86}, {0.32, 0.86}}, true);
      polyline(path, {{0.5, 0.34}, {0.8, 0.66}});
      polyline(path, {{0.8, 0.34}, {0.5, 0.66}});
      break;
    case Symbol::escape:
      // A circle open at the top left, and an arrow leaving through the gap.
      path.arcMoveTo(QRectF(0.14, 0.14, 0.84, 0.84), 170);
      path.arcTo(QRectF(0.14, 0.14, 0.84, 0.84), 170, 290);
      polyline(path, {{0.52, 0.52}, {0.04, 0.04}});
      polyline(path, {{0.04, 0.36}, {0.04, 0.04}, {0.36, 0.04}});
      break;
    case Symbol::returnKey:
      polyline(path, {{0.96, 0.1}, {0.96, 0.62}, {0.08, 0.62}});
      polyline(path, {{0.36, 0.34}, {0.08, 0.62}, {0.36, 0.9}});
      break;
    case Symbol::enter:
      polyline(path, {{0, 0.66}, {0.22, 0.66}, {0.5, 0.28}, {0.78, 0.66}, {1, 0.66}});
      break;
    case Symbol::backTab:
      mirrored = true;
      [[fallthrough]];
    case Symbol::tab:
      polyline(path, {{0, 0.5}, {0.84, 0.5}});
      polyline(path, {{0.54, 0.2}, {0.84, 0.5}, {0.54, 0.8}});
      polyline(path, {{0.98, 0.14}, {0.98, 0.86}});
      break;
    case Symbol::upArrow:
    case Symbol::downArrow:
    case Symbol::leftArrow:
    case Symbol::rightArrow:
    case Symbol::home:
    case Symbol::end:
      turn = symbol == Symbol::downArrow    ? 180
             : symbol == Symbol::leftArrow  ? -90
             : symbol == Symbol::rightArrow ? 90
             : symbol == Symbol::home       ? -45
             : symbol == Symbol::end        ? 135
                                            : 0;
      upArrow(path);
      break;
    case Symbol::pageDown:
      turn = 180;
      [[fallthrough]];
    case Symbol::pageUp:
      upArrow(path);
      polyline(path, {{0.28, 0.58}, {0.72, 0.58}});
      polyline(path, {{0.28, 0.78}, {0.72, 0.78}});
      break;
    case Symbol::globe:
    case Symbol::chevronDown:
      break;
  }
  return path;
}

}  // namespace

QSizeF symbolSize(Symbol symbol, double pointSize) {
  switch (symbol) {
    case Symbol::globe:
      return {1.1 * pointSize, 1.1 * pointSize};
    case Symbol::chevronDown:
      return {1.1 * pointSize, 0.65 * pointSize};
    default:
      return {kKeyGlyphSide * pointSize, kKeyGlyphSide * pointSize};
  }
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
    default: {
      const double stroke = frame.height() / kKeyGlyphStroke;
      painter.setPen(QPen(color, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      double turn = 0;
      bool mirrored = false;
      const QPainterPath unit = keyGlyph(symbol, turn, mirrored);
      // Turned and mirrored about the square's centre, then fitted inside the frame so that the
      // stroke stays within it.
      QTransform place;
      place.translate(0.5, 0.5);
      place.rotate(turn);
      place.scale(mirrored ? -1 : 1, 1);
      place.translate(-0.5, -0.5);
      const QRectF inner = frame.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
      QTransform fit;
      fit.translate(inner.left(), inner.top());
      fit.scale(inner.width(), inner.height());
      painter.drawPath((place * fit).map(unit));
      break;
    }
  }
  painter.restore();
}

}  // namespace tavrine::qt
