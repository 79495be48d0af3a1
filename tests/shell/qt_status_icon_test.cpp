// The status icon and the screens port.
#include "shell/qt_status_icon.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <memory>

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
  EXPECT_EQ(icon.availableSizes(), commandSquareIconSizes());
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

TEST(QtScreensTest, ConvertsBetweenQtAndCoreCoordinates) {
  const QRectF primary(0, 0, 1920, 1080);
  // A top panel of 25 points: the visible frame starts at the bottom.
  EXPECT_EQ(toCoreRect(QRectF(0, 25, 1920, 1055), primary), (Rect{{0, 0}, {1920, 1055}}));
  // A bottom dock of 40 points lifts it.
  EXPECT_EQ(toCoreRect(QRectF(0, 0, 1920, 1040), primary), (Rect{{0, 40}, {1920, 1040}}));
  // A smaller screen to the right, aligned at the top.
  const Rect right = toCoreRect(QRectF(1920, 0, 1280, 1024), primary);
  EXPECT_EQ(right, (Rect{{1920, 56}, {1280, 1024}}));
  EXPECT_EQ(toQtRect(right, primary), QRectF(1920, 0, 1280, 1024));
  // A primary screen that does not sit at Qt's origin is still the core's origin.
  const QRectF offset(100, 50, 800, 600);
  EXPECT_EQ(toCoreRect(QRectF(100, 50, 800, 600), offset), (Rect{{0, 0}, {800, 600}}));
  EXPECT_EQ(toQtRect(Rect{{10, 20}, {30, 40}}, offset), QRectF(110, 590, 30, 40));

  EXPECT_EQ(visibleFrameOf(nullptr, nullptr), std::nullopt);
  // The offscreen platform's screen: the main screen's visible frame is its available area.
  const std::optional<Rect> frame = QtScreens().mainScreenVisibleFrame();
  ASSERT_TRUE(frame.has_value());
  EXPECT_GT(frame->width() * frame->height(), 0);
}

}  // namespace
}  // namespace tavrine::qt
