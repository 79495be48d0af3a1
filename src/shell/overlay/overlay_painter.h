// SPDX-License-Identifier: MIT
// Paints the primitives of the overlay's layout with QPainter.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include "overlay/overlay_layout.h"
#include "shell/qt/qt_text_measurer.h"

namespace tavrine::qt {

// The stand-in for the ultra-thin dark material: a dark, slightly blue grey at 0.94 opacity,
// enough for the dimmest headings (white 0.45) to keep 4:1 contrast over a white page. Where
// the compositor blurs what lies behind, the blur takes the detail out of the rest.
QColor backdropColor();
inline QColor whiteAt(double opacity) {
  return QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity));
}

// A rounded rectangle with continuous corners: each corner spans about 1.53 × `radius` along
// its edges and its curvature rises smoothly from them instead of jumping to a circular arc.
// The radius shrinks to fit small rectangles.
QPainterPath continuousRoundedRect(const QRectF& rect, double radius);

QRectF toQRectF(const Rect& rect);

// Draws one primitive. Texts are plain text, drawn with QPainter::drawText and never parsed as
// markup.
void paintPrimitive(QPainter& painter, const Primitive& primitive, const QtTextMeasurer& measurer);

}  // namespace tavrine::qt
