// SPDX-License-Identifier: MIT
// The status icon and the screens port.
#include "shell/qt/qt_status_icon.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "overlay_test_support.h"
#include "shell/qt/qt_image.h"
#include "shell/qt/qt_screens.h"
#include "shell/qt/qt_status_bar.h"

namespace tavrine::qt {
namespace {

// The share of `pixels` that stand out at 3:1 or more from a page of `page` they are drawn on.
double legibleShare(const QImage& pixels, const QColor& page) {
  const QImage shown = doubles::over(pixels, page);
  int legible = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      legible += doubles::contrastRatio(shown.pixelColor(x, y), page) >= 3 ? 1 : 0;
  return static_cast<double>(legible) / (shown.width() * shown.height());
}

TEST(QtStatusIconTest, CommandSquareIsDrawnAtEverySizeAskedAndLegibleOnAnyPanel) {
  QtStatusBar bar;
  const ImageRef image = bar.systemSymbolImage("command.square", "Tavrine");
  ASSERT_NE(image, nullptr);
  const auto* qtImage = dynamic_cast<const QtImage*>(image.get());
  ASSERT_NE(qtImage, nullptr);
  EXPECT_EQ(qtImage->accessibilityDescription(), QStringLiteral("Tavrine"));
  EXPECT_EQ(bar.systemSymbolImage("gearshape", "Settings"), nullptr);
  // The template for menu bars that tint it; where nothing recolours the icon (no theme icon
  // here), the badge.
  EXPECT_TRUE(commandSquareIcon().isMask());
  const QIcon icon = iconOf(image);

  for (const int side : {16, 22, 24, 32, 44, 64, 100}) {
    SCOPED_TRACE(side);
    for (const QIcon& drawn : {commandSquareIcon(), icon}) {
      const QImage pixels = drawn.pixmap(QSize(side, side)).toImage();
      ASSERT_EQ(pixels.size(), QSize(side, side));
      EXPECT_EQ(qAlpha(pixels.pixel(0, 0)), 0);  // transparent outside the rounded frame
    }
    // The template's sign has an open centre.
    EXPECT_EQ(
        qAlpha(commandSquareIcon().pixmap(QSize(side, side)).toImage().pixel(side / 2, side / 2)),
        0);
#ifndef Q_OS_MACOS
    // Light and dark panels alike: the square or the sign stands out.
    const QImage pixels = icon.pixmap(QSize(side, side)).toImage();
    EXPECT_GT(legibleShare(pixels, Qt::white), 0.25);
    EXPECT_GT(legibleShare(pixels, QColor(30, 30, 30)), 0.1);
#endif
  }
  // On a high-density screen: drawn at device pixels, not scaled up.
  const QPixmap retina = icon.pixmap(QSize(16, 16), 2.0);
  EXPECT_EQ(retina.size(), QSize(32, 32));
  EXPECT_EQ(retina.devicePixelRatio(), 2.0);
}

// The core's origin is the lower left of the primary screen, wherever Qt puts that screen. Which
// screen the panel goes to is the X11 backend's test.
TEST(QtScreensTest, ConvertsBetweenQtAndCoreCoordinates) {
  const QRectF primary(100, 50, 1920, 1080);
  const std::pair<QRectF, Rect> cases[] = {
      {QRectF(100, 75, 1920, 1055), Rect{{0, 0}, {1920, 1055}}},       // below a top panel
      {QRectF(2020, 50, 1280, 1024), Rect{{1920, 56}, {1280, 1024}}},  // a smaller screen right
  };
  for (const auto& [qt, core] : cases) {
    EXPECT_EQ(toCoreRect(qt, primary), core);
    EXPECT_EQ(toQtRect(core, primary), qt);
  }
}

}  // namespace
}  // namespace tavrine::qt
