// The overlay panel: window flags, placement, showing without activation, closing for good.
#include "shell/qt_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QWindow>
#include <chrono>
#include <memory>

#include "overlay/overlay_window_controller.h"
#include "overlay_test_support.h"
#include "qt_event_loop.h"
#include "shell/overlay_painter.h"
#include "shell/qt_image.h"
#include "support/fake_workspace.h"
#include "support/recording_panels.h"

namespace tavrine::qt {
namespace {

using doubles::editorRecords;
using doubles::makeView;

PanelSettings overlaySettings(std::shared_ptr<OverlayView> view) {
  PanelSettings settings;
  settings.content = std::move(view);
  return settings;
}

std::shared_ptr<OverlayView> editorView(TranslationHelper& t) {
  return std::make_shared<OverlayView>("Editor", groupByMenu(editorRecords()), t);
}

// Dropped panels delete their windows later, and the windows' views refer to `t`.
class QtPanelTest : public ::testing::Test {
 protected:
  ~QtPanelTest() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
  TranslationHelper t;
};

double primaryHeight() {
  return static_cast<double>(QGuiApplication::primaryScreen()->geometry().height());
}

TEST_F(QtPanelTest, IsAFramelessTranslucentToolWindowThatNeverTakesFocus) {
  QtPanelPort port;
  const PanelRef panel = port.makePanel({{96, 72}, {1088, 576}}, overlaySettings(editorView(t)));
  ASSERT_NE(panel, nullptr);
  OverlayWidget* w = dynamic_cast<QtPanel&>(*panel).widget();
  ASSERT_NE(w, nullptr);

  const Qt::WindowFlags flags = w->windowFlags();
  EXPECT_EQ(w->windowType(), Qt::Tool);
  EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_FALSE(flags.testFlag(Qt::NoDropShadowWindowHint));
  EXPECT_TRUE(w->testAttribute(Qt::WA_TranslucentBackground));
  EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_TRUE(w->testAttribute(Qt::WA_MacAlwaysShowToolWindow));
  EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);

  // Lower-left origin on the primary screen becomes Qt's top-left origin.
  const int top = static_cast<int>(primaryHeight() - (72 + 576));
  EXPECT_EQ(w->geometry(), QRect(96, top, 1088, 576));
  EXPECT_EQ(toQtGeometry({{175, 110}, {850, 480}}, QRectF(0, 0, 1440, 900)),
            QRect(175, 310, 850, 480));
  EXPECT_EQ(toQtGeometry({{120, 87.5}, {1200, 700}}, QRectF(0, 0, 1440, 875)),
            QRect(120, 88, 1200, 700));

  PanelSettings plain = overlaySettings(nullptr);
  plain.hasShadow = false;
  EXPECT_TRUE(panelWindowFlags(plain).testFlag(Qt::NoDropShadowWindowHint));
  EXPECT_EQ(port.makePanel({{0, 0}, {100, 100}}, plain), nullptr);  // nothing to show
}

TEST_F(QtPanelTest, ShowsOnOrderFrontAndStaysClosedOnceClosed) {
  QtPanelPort port;
  const PanelRef panel = port.makePanel({{0, 0}, {800, 500}}, overlaySettings(editorView(t)));
  auto& qtPanel = dynamic_cast<QtPanel&>(*panel);
  EXPECT_FALSE(qtPanel.widget()->isVisible());

  panel->orderFrontRegardless();
  doubles::runPendingEvents();
  EXPECT_TRUE(qtPanel.widget()->isVisible());

  panel->close();
  EXPECT_FALSE(qtPanel.widget()->isVisible());
  panel->orderFrontRegardless();
  EXPECT_FALSE(qtPanel.widget()->isVisible());
  panel->close();  // harmless again
}

// Needs a real window system: the offscreen platform activates every window it shows.
TEST_F(QtPanelTest, ShowingNeverActivatesThePanel) {
  if (QGuiApplication::platformName() == QLatin1String("offscreen"))
    GTEST_SKIP() << "run with QT_QPA_PLATFORM=xcb under a display (xvfb-run) to check activation";
  QtPanelPort port;
  const PanelRef panel = port.makePanel({{0, 0}, {800, 500}}, overlaySettings(editorView(t)));
  OverlayWidget* w = dynamic_cast<QtPanel&>(*panel).widget();
  QWidget* before = QApplication::activeWindow();
  panel->orderFrontRegardless();
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return w->windowHandle()->isExposed(); }));
  doubles::runEventLoopFor(std::chrono::milliseconds(100));
  EXPECT_FALSE(w->isActiveWindow());
  EXPECT_EQ(QApplication::activeWindow(), before);
  EXPECT_EQ(QGuiApplication::focusWindow(), nullptr);
}

TEST_F(QtPanelTest, ControllerKeepsOneOverlayOnScreenAndDropsClosedWindows) {
  doubles::FakeScreens screens;
  QtPanelPort port;
  OverlayWindowController controller(screens, port, t);

  controller.showWithShortcuts(editorRecords(), "Editor");
  QPointer<OverlayWidget> first = dynamic_cast<QtPanel&>(*controller.window).widget();
  controller.showWithShortcuts(editorRecords(), "Editor");
  QPointer<OverlayWidget> second = dynamic_cast<QtPanel&>(*controller.window).widget();

  ASSERT_TRUE(
      doubles::runEventLoopUntil([&] { return first.isNull(); }));  // dropped with its panel
  ASSERT_FALSE(second.isNull());
  EXPECT_TRUE(second->isVisible());
  // 1440 × 875 at the origin gives 1200 × 700 at (120, 87.5).
  EXPECT_EQ(second->size(), QSize(1200, 700));

  // Hiding while the language menu is open must not leave the menu pointing at a dead window.
  second->openLanguageMenu();
  controller.window->close();
  controller.window.reset();
  EXPECT_TRUE(doubles::runEventLoopUntil([&] { return second.isNull(); }));
}

// Sees the events of every window before the window does, as a local event monitor does, and
// drops the panel on a key press.
struct HideOnKey final : QObject {
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && panel) {
      panel.reset();
      windowOutlivedTheDrop = !window.isNull() && watched == window.data();
    }
    return false;
  }
  PanelRef panel;
  QPointer<OverlayWidget> window;
  bool windowOutlivedTheDrop = false;
};

TEST_F(QtPanelTest, APanelDroppedWhileItsWindowHandlesAnEventGoesAfterTheEvent) {
  QtPanelPort port;
  HideOnKey monitor;
  monitor.panel = port.makePanel({{0, 0}, {800, 500}}, overlaySettings(editorView(t)));
  monitor.panel->orderFrontRegardless();
  monitor.window = dynamic_cast<QtPanel&>(*monitor.panel).widget();
  qApp->installEventFilter(&monitor);
  QCoreApplication::postEvent(monitor.window.data(),
                              new QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier));
  EXPECT_TRUE(doubles::runEventLoopUntil([&] { return monitor.window.isNull(); }));
  qApp->removeEventFilter(&monitor);
  EXPECT_TRUE(monitor.windowOutlivedTheDrop);
}

TEST_F(QtPanelTest, HeaderShowsTheFrontmostApplicationsIconReadAtEachRender) {
  doubles::FakeWorkspace workspace;
  QImage red(64, 64, QImage::Format_ARGB32);
  red.fill(QColor(230, 20, 20));
  workspace.setFrontmost(
      RunningApplication{42, "Editor", std::make_shared<QtImage>(QIcon(QPixmap::fromImage(red)))});
  QtPanelPort port(&workspace);
  const PanelRef panel = port.makePanel({{0, 0}, {900, 500}}, overlaySettings(editorView(t)));
  OverlayWidget* w = dynamic_cast<QtPanel&>(*panel).widget();

  const auto iconFrame = [&]() -> std::optional<QRectF> {
    for (const Primitive& p : w->overlayLayout().fixedPrimitives()) {
      if (std::holds_alternative<IconPrimitive>(p)) return toQRectF(frameOf(p));
    }
    return std::nullopt;
  };
  const std::optional<QRectF> frame = iconFrame();
  ASSERT_TRUE(frame.has_value());
  const QImage image = doubles::straightAlpha(w->renderImage());
  const QColor middle = image.pixelColor(frame->center().toPoint());
  EXPECT_GT(middle.red(), 200);
  EXPECT_LT(middle.green(), 60);
  // The corner of the icon's frame lies outside its rounded shape: backdrop there.
  const QColor corner = image.pixelColor(frame->topLeft().toPoint());
  EXPECT_LT(corner.red(), 120);

  // The application went away: the next render (a language change) leaves the icon out.
  workspace.setFrontmost(std::nullopt);
  t.setIsZH(true);
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return !iconFrame().has_value(); }));
}

}  // namespace
}  // namespace tavrine::qt
