// SPDX-License-Identifier: MIT
// The status icon and the screens port.
#include "shell/qt_status_icon.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "shell/qt_image.h"
#include "shell/qt_screens.h"
#include "shell/qt_status_bar.h"

namespace tavrine::qt {
namespace {

TEST(QtStatusIconTest, CommandSquareIsAMaskDrawnAtEverySizeAsked) {
  QtStatusBar bar;
  const ImageRef image = bar.systemSymbolImage("command.square", "Tavrine");
  ASSERT_NE(image, nullptr);
  const auto* qtImage = dynamic_cast<const QtImage*>(image.get());
  ASSERT_NE(qtImage, nullptr);
  EXPECT_EQ(qtImage->accessibilityDescription(), QStringLiteral("Tavrine"));
  const QIcon icon = iconOf(image);
  EXPECT_TRUE(icon.isMask());
  EXPECT_EQ(bar.systemSymbolImage("gearshape", "Settings"), nullptr);

  for (const int side : {16, 22, 24, 32, 44, 64, 100}) {
    SCOPED_TRACE(side);
    const QImage pixels = icon.pixmap(QSize(side, side)).toImage();
    ASSERT_EQ(pixels.size(), QSize(side, side));
    int inked = 0;  // pixels with any coverage
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x)
        inked += qAlpha(pixels.pixel(x, y)) > 0 ? 1 : 0;
    // Outline and sign: a clear part of the square, far from all of it.
    EXPECT_GT(inked, side * side / 10);
    EXPECT_LT(inked, side * side * 2 / 3);
    EXPECT_EQ(qAlpha(pixels.pixel(0, 0)), 0);  // transparent outside the rounded frame
    EXPECT_EQ(qAlpha(pixels.pixel(side / 2, side / 2)), 0);  // the sign's open centre
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
