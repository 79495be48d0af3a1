// SPDX-License-Identifier: MIT
// The header's symbol images ("globe", "chevron.down"), drawn with QPainter at a font size so
// they need no image files and stay sharp at any pixel ratio.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QSizeF>

#include "ports/text_measurer.h"

namespace tavrine::qt {

QSizeF symbolSize(Symbol symbol, double pointSize);
// Draws `symbol` filling `frame` in `color`.
void paintSymbol(QPainter& painter, Symbol symbol, const QRectF& frame, const QColor& color);

}  // namespace tavrine::qt
