// SPDX-License-Identifier: MIT
// The palettes: text keeps its contrast in either look.
#include <gtest/gtest.h>

#include <QColor>
#include <cmath>

#include "shell/overlay/overlay_palette.h"

namespace tavrine::qt {
namespace {

double luminance(const QColor& c) {
  const auto channel = [](double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor over(const QColor& top, const QColor& below) {
  const auto mix = [a = top.alphaF()](float t, float b) { return t * a + b * (1 - a); };
  return QColor::fromRgbF(mix(top.redF(), below.redF()), mix(top.greenF(), below.greenF()),
                          mix(top.blueF(), below.blueF()));
}

// Row titles (0.85 of the ink) keep 4.5:1 and the dimmest headings (0.45) 4:1 over the backdrop,
// whatever page lies behind the translucent panel.
TEST(OverlayPaletteTest, TextKeepsItsContrastOverAnyPage) {
  for (const bool dark : {true, false}) {
    const OverlayPalette& palette = OverlayPalette::of(dark);
    for (const QColor page : {QColor(Qt::white), QColor(Qt::black)}) {
      const QColor backdrop = over(palette.backdrop, page);
      for (const auto& [opacity, least] : {std::pair{0.85, 4.5}, std::pair{0.45, 4.0}}) {
        const double a = luminance(backdrop);  // the lighter in the dark look, else the darker
        const double b = luminance(over(palette.inkAt(opacity), backdrop));
        EXPECT_GE(dark ? (b + 0.05) / (a + 0.05) : (a + 0.05) / (b + 0.05), least)
            << dark << " " << page.name().toStdString() << " " << opacity;
      }
    }
  }
}

}  // namespace
}  // namespace tavrine::qt
