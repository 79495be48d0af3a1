// SPDX-License-Identifier: MIT
// The overlay panel: window flags, placement, showing without activation, closing for good, its
// look.
#include "shell/overlay/qt_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QRegion>
#include <QScreen>
#include <QWindow>
#include <chrono>
#include <iterator>
#include <string>
#include <vector>

#include "overlay_test_support.h"
#include "qt_event_loop.h"
#include "shell/overlay/overlay_painter.h"
#include "support/fake_platform.h"

namespace tavrine::qt {
namespace {

using namespace doubles;

class QtPanelTest : public ::testing::Test {
 protected:
  // Dropped panels delete their windows later, and the windows' views refer to `t`.
  ~QtPanelTest() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  PanelSettings settingsFor(const std::vector<ShortcutEntry>& records) {
    PanelSettings settings;
    settings.content = doubles::makeView(records, t);
    return settings;
  }
  PanelRef makePanel(const Rect& frame, PanelPort* from = nullptr) {
    return (from != nullptr ? *from : port).makePanel(frame, settingsFor(editorRecords()));
  }
  static OverlayWidget* widgetOf(const PanelRef& panel) {
    return dynamic_cast<QtPanel&>(*panel).widget();
  }

  TranslationHelper t;
  QtPanelPort port;
};

// Each intent against the Qt flag or attribute that carries it, asked for and not, and nothing
// else changing with it. Whatever is asked, a frameless tool window that shows without activating.
TEST_F(QtPanelTest, EachIntentBecomesItsQtFlag) {
  using Intent = bool PanelSettings::*;
  const Intent intents[] = {&PanelSettings::takesFocus, &PanelSettings::aboveOtherWindows,
                            &PanelSettings::translucent, &PanelSettings::hasShadow,
                            &PanelSettings::showsWhileInactive};
  for (std::size_t i = 0; i < std::size(intents); ++i) {
    for (const bool asked : {false, true}) {
      PanelSettings settings = settingsFor(editorRecords());
      settings.*intents[i] = asked;
      QtPanelPort fresh;  // a window of its own, not one another panel left
      const QWidget& w = *widgetOf(fresh.makePanel({{0, 0}, {400, 300}}, settings));
      const Qt::WindowFlags f = w.windowFlags();
      EXPECT_TRUE(w.windowType() == Qt::Tool && f.testFlag(Qt::FramelessWindowHint) &&
                  !f.testFlag(Qt::X11BypassWindowManagerHint) &&
                  w.testAttribute(Qt::WA_ShowWithoutActivating) && w.focusPolicy() == Qt::NoFocus);
      const bool carried[] = {
          !f.testFlag(Qt::WindowDoesNotAcceptFocus) && !w.testAttribute(Qt::WA_X11DoNotAcceptFocus),
          f.testFlag(Qt::WindowStaysOnTopHint), w.testAttribute(Qt::WA_TranslucentBackground),
          !f.testFlag(Qt::NoDropShadowWindowHint), w.testAttribute(Qt::WA_MacAlwaysShowToolWindow)};
      for (std::size_t j = 0; j < std::size(intents); ++j)
        EXPECT_EQ(carried[j], settings.*intents[j]) << "intent " << j << " with " << i << asked;
    }
  }
  // In a Wayland session: override-redirect, still refusing focus.
  const Qt::WindowFlags bypassing = panelWindowFlags(PanelSettings{}, true);
  EXPECT_TRUE(bypassing.testFlag(Qt::X11BypassWindowManagerHint) &&
              bypassing.testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_EQ(port.makePanel({{0, 0}, {100, 100}}, PanelSettings{}), nullptr);  // nothing to show
}

TEST_F(QtPanelTest, AClosedPanelLeavesItsWindowToTheNextWhichPaintsOnlyItsOwnContent) {
  std::vector<ShortcutEntry> many;
  for (int i = 0; i < 200; ++i)
    many.push_back(doubles::record("File", "Item " + std::to_string(i), "n"));
  const Rect frame{{0, 0}, {800, 500}};
  // The pixels of a window made for the content alone, scrolled to `offset`, painted afresh.
  const auto alone = [&](const PanelSettings& settings, double offset) {
    QtPanelPort fresh;
    OverlayWidget* w = widgetOf(fresh.makePanel(frame, settings));
    w->scrollTo(offset);
    w->dropPaintedAhead();
    return w->renderImage();
  };

  const PanelSettings firstSettings = settingsFor(many);
  const PanelRef first = port.makePanel(frame, firstSettings);
  OverlayWidget* w = widgetOf(first);
  EXPECT_FALSE(w->isVisible());
  first->orderFrontRegardless();
  EXPECT_TRUE(w->isVisible());
  // What was painted ahead of the show no longer stands once scrolled.
  w->scrollTo(300);
  EXPECT_TRUE(w->renderImage() == alone(firstSettings, 300));
  ASSERT_TRUE(runEventLoopUntil([&] { return w->backingStore()->size() == w->size(); }));
  first->close();
  first->orderFrontRegardless();  // closed for good
  EXPECT_FALSE(w->isVisible());
  // Hidden, the window keeps no panel's worth of pixels.
  EXPECT_EQ(w->backingStore()->size(), QSize(1, 1));

  const PanelSettings secondSettings = settingsFor(editorRecords());
  const PanelRef second = port.makePanel(frame, secondSettings);
  ASSERT_EQ(widgetOf(second), w);
  EXPECT_FALSE(dynamic_cast<QtPanel&>(*second).windowIsNew());
  // Its store is whole again before the show, and its first paint, before Qt had a turn, draws
  // nothing of the panel before.
  EXPECT_EQ(w->backingStore()->size(), w->size());
  EXPECT_TRUE(w->renderImage() == alone(secondSettings, 0));
  second->orderFrontRegardless();
  // Shown, then the language changed: painted afresh.
  const OverlayLayout* before = &w->overlayLayout();
  t.setIsZH(true);
  ASSERT_TRUE(runEventLoopUntil([&] { return &w->overlayLayout() != before; }));
  EXPECT_TRUE(w->renderImage() == alone(secondSettings, 0));
  t.setIsZH(false);

  // A pinned window took the keyboard: the next panel gets a window of its own.
  second->makeKey();
  second->close();
  const PanelRef third = makePanel(frame);
  EXPECT_TRUE(widgetOf(third) != w && dynamic_cast<QtPanel&>(*third).windowIsNew());
}

// A window system that answers as told and remembers what the panel asked of it.
struct FakeBackdrop final : PanelBackdrop {
  bool isCompositing() const override { return compositing; }
  bool blurBehind(WId window, const QRegion& region) override {
    asked.emplace_back(window, region);
    return offersBlur;
  }
  bool compositing = true, offersBlur = false;
  std::vector<std::pair<WId, QRegion>> asked;
};

// The middle of each edge in, the corners out.
bool followsRoundedOutline(const QRegion& region, const QSize& size) {
  const QRect r(QPoint(0, 0), size);
  return region.boundingRect() == r && region.contains(QPoint(r.center().x(), 0)) &&
         region.contains(QPoint(0, r.center().y())) && !region.contains(r.topLeft()) &&
         !region.contains(r.bottomRight());
}

// Placed with the lower-left origin turned top-left, each edge rounded on its own; blurred where
// offered, cut to shape without a compositor, and so is the language menu.
TEST_F(QtPanelTest, PlacedAndBlurredWhereOfferedCutToShapeWithoutACompositor) {
  EXPECT_EQ(toQtGeometry({{120, 87.5}, {1200, 700}}, QRectF(0, 0, 1440, 875)),
            QRect(120, 88, 1200, 700));
  struct Case {
    bool compositing, offersBlur, asksForBlur, clipped;
  };
  for (const Case c : {Case{true, true, true, false}, Case{true, false, true, false},
                       Case{false, true, false, true}}) {
    FakeBackdrop backdrop;
    backdrop.compositing = c.compositing;
    backdrop.offersBlur = c.offersBlur;
    QtPanelPort withBackdrop(&backdrop);
    const PanelRef panel = makePanel({{30, 40}, {420, 300}}, &withBackdrop);
    OverlayWidget* w = widgetOf(panel);
    const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
    EXPECT_EQ(w->geometry(), QRect(30, screenHeight - (40 + 300), 420, 300));
    EXPECT_EQ(dynamic_cast<QtPanel&>(*panel).isBlurred(), c.asksForBlur && c.offersBlur);
    ASSERT_EQ(backdrop.asked.size(), c.asksForBlur ? 1u : 0u);
    if (c.asksForBlur) {
      EXPECT_EQ(backdrop.asked[0].first, w->winId());
      EXPECT_TRUE(followsRoundedOutline(backdrop.asked[0].second,
                                        (QSizeF(420, 300) * w->devicePixelRatioF()).toSize()));
    }
    EXPECT_EQ(followsRoundedOutline(w->mask(), w->size()), c.clipped);

    // The language menu: cut likewise, dark and rounded, below its switch inside the panel.
    panel->orderFrontRegardless();
    w->openLanguageMenu();
    QMenu* menu = w->languageMenu();
    ASSERT_TRUE(runEventLoopUntil([&] { return menu->isVisible(); }));
    EXPECT_EQ(followsRoundedOutline(menu->mask(), menu->size()), c.clipped);
    EXPECT_TRUE(w->geometry().contains(menu->geometry()));
    EXPECT_GE(menu->y(), w->y() + w->overlayLayout().languageSwitchFrame().maxY());
    const QImage image = doubles::straightAlpha(menu->grab().toImage());
    const QColor fill = image.pixelColor(image.width() - 4, image.height() / 2);
    EXPECT_TRUE(image.pixelColor(0, 0).alpha() == 0 && fill.alpha() > 200 && fill.lightness() < 50);
    // Closed while its language menu is open: the menu goes with the window it points at.
    panel->close();
    EXPECT_FALSE(menu->isVisible());
  }
}

// On macOS Qt's raise() activates the application: there the panel is only shown, and no raise of
// Qt's may activate either; elsewhere it is raised. Shown, it never activates. Both need a real
// window system: the offscreen platform activates every window it shows.
TEST_F(QtPanelTest, ShownWithoutActivatingAndRaisedExceptOnMacOS) {
  EXPECT_FALSE(raisesShownPanels(u"cocoa"));
  qunsetenv("QT_MAC_SET_RAISE_PROCESS");
  keepRaisesFromActivating();
  EXPECT_EQ(qgetenv("QT_MAC_SET_RAISE_PROCESS"), "0");
  qunsetenv("QT_MAC_SET_RAISE_PROCESS");
  if (QGuiApplication::platformName() == QLatin1String("offscreen"))
    GTEST_SKIP() << "run with QT_QPA_PLATFORM=xcb under a display (xvfb-run) to check activation";
  for (const bool mac : {true, false}) {
    QtPanelPort from{nullptr, false, raisesShownPanels(mac ? u"cocoa" : u"xcb")};
    const PanelRef panel = makePanel({{0, 0}, {400, 300}}, &from);
    OverlayWidget* w = widgetOf(panel);
    QWidget* before = QApplication::activeWindow();
    panel->orderFrontRegardless();
    ASSERT_TRUE(runEventLoopUntil([&] { return w->windowHandle()->isExposed(); }));
    runEventLoopUntil([] { return false; }, std::chrono::milliseconds(100));  // let it settle
    EXPECT_FALSE(w->isActiveWindow());
    EXPECT_EQ(QApplication::activeWindow(), before);
    EXPECT_EQ(QGuiApplication::focusWindow(), nullptr);

    QWidget cover;
    cover.setGeometry(w->geometry());
    cover.show();
    ASSERT_TRUE(runEventLoopUntil([&] { return cover.windowHandle()->isExposed(); }));
    panel->orderFrontRegardless();
    const QPoint middle = w->geometry().center();
    runEventLoopUntil([&] { return QApplication::topLevelAt(middle) == w; },
                      std::chrono::milliseconds(300));
    EXPECT_EQ(QApplication::topLevelAt(middle) == w, !mac) << (mac ? "cocoa" : "xcb");
  }
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
        EXPECT_GE(contrastRatio(over(palette.inkAt(opacity), backdrop), backdrop), least)
            << dark << " " << page.name().toStdString() << " " << opacity;
      }
    }
  }
}

TEST_F(QtPanelTest, TheLookReachesTheOpenPanelAndTheNextOnes) {
  const PanelRef open = makePanel({{0, 0}, {800, 500}});
  port.setLook({false, 1.25});
  for (const PanelRef& panel : {open, makePanel({{0, 0}, {800, 500}})}) {
    OverlayWidget& w = *widgetOf(panel);
    EXPECT_EQ(w.overlayLayout().scale(), 1.25);
    const auto& name = std::get<TextPrimitive>(w.overlayLayout().fixedPrimitives().at(1));
    const QImage image = w.renderImage();
    int darkest = 255;
    for (int x = static_cast<int>(name.frame.minX()); x < name.frame.maxX(); ++x)
      darkest = std::min(darkest, qGray(image.pixel(x, static_cast<int>(name.frame.midY()))));
    EXPECT_LT(darkest, 80);  // dark text on a light backdrop
    EXPECT_GT(qGray(image.pixel(image.width() / 2, 4)), 200);
    panel->close();
  }
}

// A local event monitor drops the panel on a key press its window is handling: the window goes
// only after the event.
TEST_F(QtPanelTest, APanelDroppedWhileItsWindowHandlesAnEventGoesAfterTheEvent) {
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
  } monitor;
  monitor.panel = makePanel({{0, 0}, {800, 500}});
  monitor.panel->orderFrontRegardless();
  monitor.window = widgetOf(monitor.panel);
  qApp->installEventFilter(&monitor);
  QCoreApplication::postEvent(monitor.window.data(),
                              new QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier));
  EXPECT_TRUE(runEventLoopUntil([&] { return monitor.window.isNull(); }));
  qApp->removeEventFilter(&monitor);
  EXPECT_TRUE(monitor.windowOutlivedTheDrop);
}

}  // namespace
}  // namespace tavrine::qt
