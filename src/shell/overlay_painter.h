// SPDX-License-Identifier: MIT
// Paints the primitives of the overlay's layout with QPainter.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include "overlay/overlay_layout.h"
#include "shell/qt_text_measurer.h"

namespace tavrine::qt {

// The stand-in for the ultra-thin dark material: a dark, slightly blue grey, mostly opaque so
// that text stays legible over any window behind it.
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
