// SPDX-License-Identifier: MIT
// Paints the primitives of the overlay's layout with QPainter.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include "overlay/overlay_layout.h"
#include "shell/overlay/overlay_palette.h"
#include "shell/qt/qt_text_measurer.h"

namespace tavrine::qt {

// A rounded rectangle with continuous corners: each corner spans about 1.53 × `radius` along
// its edges and its curvature rises smoothly from them instead of jumping to a circular arc.
// The radius shrinks to fit small rectangles.
QPainterPath continuousRoundedRect(const QRectF& rect, double radius);

QRectF toQRectF(const Rect& rect);

// Draws one primitive in `palette`'s colours. Texts are plain text, drawn with
// QPainter::drawText and never parsed as markup. Where the compositor blurs what lies behind the
// backdrop, the blur takes the detail out of the rest.
void paintPrimitive(QPainter& painter, const Primitive& primitive, const QtTextMeasurer& measurer,
                    const OverlayPalette& palette = OverlayPalette::dark());

}  // namespace tavrine::qt
