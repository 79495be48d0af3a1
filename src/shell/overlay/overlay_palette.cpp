// SPDX-License-Identifier: MIT
#include "shell/overlay/overlay_palette.h"

#include <algorithm>
#include <cmath>

namespace tavrine::qt {

const OverlayPalette& OverlayPalette::dark() {
  // A dark, slightly blue grey at 0.94 opacity: white at 0.45 keeps 4:1 over a white page.
  static const OverlayPalette palette{QColor(28, 28, 32, 240), QColor(255, 255, 255), 1,
                                      QColor::fromRgbF(1, 1, 1, 0.1F), QColor(255, 204, 0, 110)};
  return palette;
}

const OverlayPalette& OverlayPalette::light() {
  // A light grey at the same opacity: over a black page it is still light enough that the
  // dimmest headings keep 4:1 and the rows 4.5:1.
  static const OverlayPalette palette{QColor(246, 246, 248, 240), QColor(18, 18, 24), 1.3,
                                      QColor(0, 0, 0, 30), QColor(255, 196, 0, 120)};
  return palette;
}

QColor OverlayPalette::inkAt(double opacity) const {
  QColor color = ink;
  color.setAlphaF(static_cast<float>(std::clamp(opacity * inkGain, 0.0, 1.0)));
  return color;
}

QString OverlayPalette::inkRgba(int alpha) const {
  const long scaled = std::lround(std::min(255.0, alpha * inkGain));
  return QStringLiteral("rgba(%1, %2, %3, %4)")
      .arg(ink.red())
      .arg(ink.green())
      .arg(ink.blue())
      .arg(scaled);
}

QString OverlayPalette::menuStyle(double cornerRadius) const {
  return QStringLiteral(
             "QMenu { background: rgba(%1, %2, %3, %4); border: 1px solid %6;"
             "  border-radius: %5px; padding: 4px; color: %7;"
             "  font-size: 13px; }"
             "QMenu::item { padding: 4px 18px; border-radius: 5px; background: transparent; }"
             "QMenu::item:selected { background: %8; color: %9; }")
      .arg(backdrop.red())
      .arg(backdrop.green())
      .arg(backdrop.blue())
      .arg(backdrop.alpha())
      .arg(cornerRadius)
      .arg(inkRgba(30), inkRgba(220), inkRgba(36), ink.name());
}

QString OverlayPalette::scrollBarStyle() const {
  return QStringLiteral(
             "QScrollBar:vertical { background: transparent; width: 8px; margin: 0; }"
             "QScrollBar::handle:vertical { background: %1; border-radius: 3px;"
             "  min-height: 24px; margin: 1px; }"
             "QScrollBar::handle:vertical:hover { background: %2; }"
             "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: "
             "none; }"
             "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: "
             "transparent; }")
      .arg(inkRgba(90), inkRgba(140));
}

QString OverlayPalette::searchFieldStyle() const {
  return QStringLiteral(
             "QLineEdit { background: %1; border: 1px solid %2;"
             "  border-radius: 6px; color: %3; padding: 2px 8px; font-size: 13px;"
             "  selection-background-color: %4; }")
      .arg(inkRgba(28), inkRgba(60), ink.name(), inkRgba(80));
}

QString OverlayPalette::countStyle() const {
  return QStringLiteral("QLabel { color: %1; font-size: 11px; }").arg(inkRgba(150));
}

}  // namespace tavrine::qt
