// SPDX-License-Identifier: MIT
#include "shell/overlay/qt_panel.h"

#include <QBackingStore>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QPolygon>
#include <QScreen>
#include <QTransform>
#include <cmath>
#include <memory>

#include "shell/overlay/screen_reader_tree.h"
#include "shell/qt/qt_screens.h"
#include "shell/qt/resident_memory.h"

namespace tavrine::qt {

Qt::WindowFlags panelWindowFlags(const PanelSettings& settings, bool bypassWindowManager) {
  Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint;
  if (bypassWindowManager) flags |= Qt::X11BypassWindowManagerHint;
  if (!settings.takesFocus) flags |= Qt::WindowDoesNotAcceptFocus;
  if (settings.aboveOtherWindows) flags |= Qt::WindowStaysOnTopHint;
  if (!settings.hasShadow) flags |= Qt::NoDropShadowWindowHint;
  return flags;
}

bool raisesShownPanels(QStringView platformName) {
  return platformName != u"cocoa";
}

void keepRaisesFromActivating() {
  qputenv("QT_MAC_SET_RAISE_PROCESS", "0");
}

QRect toQtGeometry(const Rect& screenRect, const QRectF& primaryGeometry) {
  // Each edge rounded on its own keeps the size exact, where an aligned rectangle could grow.
  const QRectF r = toQtRect(screenRect, primaryGeometry);
  return {static_cast<int>(std::lround(r.x())), static_cast<int>(std::lround(r.y())),
          static_cast<int>(std::lround(r.width())), static_cast<int>(std::lround(r.height()))};
}

namespace {

OverlayWidget* newAccessibleOverlayWidget(std::shared_ptr<OverlayView> content) {
  installScreenReaderTree();
  return new OverlayWidget(std::move(content));
}

// A hidden window's pixels are a whole panel's worth of shared memory with the X server, kept
// for nothing until the next show, which sizes the store to the window again before it paints.
void releaseBackingStore(QWidget& window) {
  QBackingStore* store = window.backingStore();
  if (store != nullptr && !store->size().isEmpty() && store->size() != QSize(1, 1))
    store->resize(QSize(1, 1));
}

}  // namespace

SpareWindow::~SpareWindow() {
  if (!widget.isNull() && QCoreApplication::instance() != nullptr) delete widget.data();
}

QtPanel::QtPanel(const Rect& contentRect, const PanelSettings& settings, PanelBackdrop* backdrop,
                 bool bypassWindowManager, bool raisesWhenShown,
                 const std::shared_ptr<SpareWindow>& spare, PanelLook look)
    : spare_(spare),
      flags_(panelWindowFlags(settings, bypassWindowManager)),
      raisesWhenShown_(raisesWhenShown) {
  if (spare && !spare->widget.isNull() && spare->flags == flags_ &&
      spare->widget->testAttribute(Qt::WA_TranslucentBackground) == settings.translucent) {
    widget_ = spare->widget;
    spare->widget.clear();
    windowIsNew_ = false;
  } else {
    if (spare) delete spare->widget.data();
    widget_ = newAccessibleOverlayWidget(settings.content);
    widget_->setWindowFlags(flags_);
    // The content paints the whole visible background itself, rounded corners included.
    widget_->setAttribute(Qt::WA_TranslucentBackground, settings.translucent);
  }
  OverlayWidget* w = widget_.data();
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  w->setAttribute(Qt::WA_X11DoNotAcceptFocus, !settings.takesFocus);
  // Tool windows hide while their application is inactive, which this one always is.
  w->setAttribute(Qt::WA_MacAlwaysShowToolWindow, settings.showsWhileInactive);
  w->setFocusPolicy(Qt::NoFocus);

  const QScreen* primary = QGuiApplication::primaryScreen();
  w->setGeometry(
      toQtGeometry(contentRect, primary != nullptr ? QRectF(primary->geometry()) : QRectF()));
  // Laid out and painted now, at the panel's size, rather than when the show delivers the
  // resize and the first expose.
  w->setLook(look.dark, look.scale);
  w->setView(settings.content);
  w->paintAhead();
  // The window's store, released while it was hidden, is made again now rather than at the show,
  // and its pages touched (a translucent store is cleared as a paint begins).
  if (QBackingStore* store = w->backingStore()) {
    store->resize(w->size());
    store->beginPaint(QRegion(w->rect()));
    store->endPaint();
  }

  if (!settings.translucent || backdrop == nullptr) return;
  // Without a compositor nothing would blend the transparent corners with the desktop: they
  // would show black.
  const bool compositing = backdrop->isCompositing();
  w->setClipsToShape(!compositing);
  if (!compositing) return;
  const qreal ratio = w->devicePixelRatioF();
  const QPolygon outline =
      w->backdropShape().toFillPolygon(QTransform::fromScale(ratio, ratio)).toPolygon();
  blurred_ = backdrop->blurBehind(w->winId(), QRegion(outline, Qt::WindingFill));
}

QtPanel::~QtPanel() {
  // Without an application object left (process exit) the window can no longer be deleted.
  if (widget_.isNull() || QCoreApplication::instance() == nullptr) return;
  widget_->hide();
  // The panel may be dropped while its own window handles an event (a monitor that hides the
  // overlay on a key press sees that key first): the window goes once the event is done. The
  // main loop deletes what is left when it ends.
  widget_->deleteLater();
}

void QtPanel::orderFrontRegardless() {
  if (closed_ || widget_.isNull()) return;
  // Shown, and raised where raising does not activate: the application in front keeps the
  // keyboard.
  widget_->show();
  if (raisesWhenShown_) widget_->raise();
}

void QtPanel::close() {
  closed_ = true;
  if (widget_.isNull()) return;
  OverlayWidget* w = widget_.data();
  w->dropPaintedAhead();
  // The next panel takes the window, unless one is kept already or this one took the keyboard.
  const std::shared_ptr<SpareWindow> spare = spare_.lock();
  if (spare && spare->widget.isNull() && !w->isPinned()) {
    spare->widget = w;
    spare->flags = flags_;
    widget_.clear();
  }
  const QPointer<OverlayWidget> window = w;
  // A pinned window that loses the keyboard closes the overlay again from inside the hide,
  // which may drop this panel: nothing of it is used after.
  w->hide();
  if (!window.isNull() && window->isHidden()) releaseBackingStore(*window);
  returnFreedMemory();
}

void QtPanel::makeKey() {
  if (closed_ || widget_.isNull()) return;
  OverlayWidget* w = widget_.data();
  w->setAttribute(Qt::WA_X11DoNotAcceptFocus, false);
  w->setAttribute(Qt::WA_ShowWithoutActivating, false);
  // Changing the flags hides the window: show it again, now able to take the keyboard.
  w->setWindowFlag(Qt::WindowDoesNotAcceptFocus, false);
  w->setPinned();
  w->show();
  w->raise();
  w->activateWindow();
}

PanelRef QtPanelPort::makePanel(const Rect& contentRect, const PanelSettings& settings) {
  if (!settings.content) return nullptr;
  auto panel = std::make_shared<QtPanel>(contentRect, settings, backdrop_, bypassWindowManager_,
                                         raisesWhenShown_, spare_, look_);
  if (openSettings_) panel->widget()->setOpenSettings(openSettings_);
  last_ = panel;
  return panel;
}

void QtPanelPort::setLook(PanelLook look) {
  look_ = look;
  const std::shared_ptr<QtPanel> last = last_.lock();
  if (last && !last->isClosed() && last->widget() != nullptr)
    last->widget()->setLook(look.dark, look.scale);
}

void QtPanelPort::warmUp(const Rect& contentRect, const PanelSettings& settings) {
  if (!spare_->widget.isNull()) return;
  const PanelRef panel = makePanel(contentRect, settings);
  if (!panel) return;
  // Made with its native window; the panel's painting ahead draws every glyph it shows.
  static_cast<QtPanel&>(*panel).widget()->winId();
  panel->close();
}

}  // namespace tavrine::qt
