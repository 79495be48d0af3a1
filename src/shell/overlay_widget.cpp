// SPDX-License-Identifier: MIT
#include "shell/overlay_widget.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "shell/overlay_painter.h"

namespace tavrine::qt {
namespace {

// A thin indicator in the grid's trailing padding, clear of the rounded bottom corner.
constexpr int kScrollBarWidth = 8;
constexpr int kScrollBarInset = 3;
constexpr int kScrollBarTopMargin = 4;
constexpr int kScrollBarBottomMargin = 14;
constexpr int kScrollStep = 24;
constexpr int kMenuGap = 4;
// The language menu keeps this far from the panel's edges.
constexpr int kMenuInset = 8;
constexpr double kMenuCornerRadius = 8;

// The language menu in the panel's own material: the backdrop's colour, rounded, light text.
QString languageMenuStyle() {
  const QColor backdrop = backdropColor();
  return QStringLiteral(
             "QMenu { background: rgba(%1, %2, %3, %4); border: 1px solid rgba(255, 255, 255, 30);"
             "  border-radius: %5px; padding: 4px; color: rgba(255, 255, 255, 220);"
             "  font-size: 13px; }"
             "QMenu::item { padding: 4px 18px; border-radius: 5px; background: transparent; }"
             "QMenu::item:selected { background: rgba(255, 255, 255, 36); color: white; }")
      .arg(backdrop.red())
      .arg(backdrop.green())
      .arg(backdrop.blue())
      .arg(backdrop.alpha())
      .arg(kMenuCornerRadius);
}

QRegion regionOf(const QPainterPath& path) {
  return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}

QPainterPath menuShape(const QSize& size) {
  QPainterPath path;
  path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), kMenuCornerRadius, kMenuCornerRadius);
  return path;
}

const char* const kScrollBarStyle =
    "QScrollBar:vertical { background: transparent; width: 8px; margin: 0; }"
    "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 90); border-radius: 3px;"
    "  min-height: 24px; margin: 1px; }"
    "QScrollBar::handle:vertical:hover { background: rgba(255, 255, 255, 140); }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }";

}  // namespace

OverlayWidget::OverlayWidget(std::shared_ptr<OverlayView> view, IconSource iconSource,
                             QWidget* parent)
    : QWidget(parent), view_(std::move(view)), iconSource_(std::move(iconSource)) {
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  setMouseTracking(true);
  scrollBar_->setStyleSheet(QString::fromLatin1(kScrollBarStyle));
  scrollBar_->setSingleStep(kScrollStep);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  scrollBar_->hide();
  connect(scrollBar_, &QScrollBar::valueChanged, this,
          [this] { update(toQRectF(layout_->scrollFrame()).toAlignedRect()); });
  layOut();
  languageSubscription_ = view_->subscribeWillChange([this] { languageWillChange(); });
}

OverlayWidget::~OverlayWidget() {
  // Child interfaces refer to this widget: they go before it does.
  accessibleModel_.reset();
}

double OverlayWidget::scrollOffset() const {
  return static_cast<double>(scrollBar_->value());
}

void OverlayWidget::scrollTo(double offset) {
  scrollBar_->setValue(static_cast<int>(
      std::lround(std::clamp(offset, 0.0, static_cast<double>(scrollBar_->maximum())))));
}

Rect OverlayWidget::visibleContentRect() const {
  const Rect frame = overlayLayout().scrollFrame();
  return {{0, scrollOffset()}, frame.size};
}

QMenu* OverlayWidget::languageMenu() {
  if (languageMenu_ == nullptr) {
    languageMenu_ = new QMenu(this);
    // Frameless and translucent outside its rounded outline, like the panel.
    languageMenu_->setWindowFlags(languageMenu_->windowFlags() | Qt::FramelessWindowHint |
                                  Qt::NoDropShadowWindowHint);
    languageMenu_->setAttribute(Qt::WA_TranslucentBackground);
    languageMenu_->setStyleSheet(languageMenuStyle());
    languageMenu_->installEventFilter(this);
    for (const OverlayView::LanguageItem& item : OverlayView::languageItems()) {
      QAction* action = languageMenu_->addAction(toQString(item.title));
      connect(action, &QAction::triggered, this, [this, item] { view_->choose(item); });
    }
  }
  return languageMenu_;
}

void OverlayWidget::openLanguageMenu() {
  QMenu* menu = languageMenu();
  const QSize size = menu->sizeHint();
  const Rect frame = overlayLayout().languageSwitchFrame();
  // Below the switch with the trailing edges lined up (the switch sits at the panel's trailing
  // edge), and never past the panel's edges.
  const int x =
      std::max(kMenuInset, std::min(static_cast<int>(std::lround(frame.maxX())) - size.width(),
                                    width() - kMenuInset - size.width()));
  const int y =
      std::max(kMenuInset, std::min(static_cast<int>(std::lround(frame.maxY())) + kMenuGap,
                                    height() - kMenuInset - size.height()));
  menu->popup(mapToGlobal(QPoint(x, y)));
}

QPainterPath OverlayWidget::backdropShape() const {
  return continuousRoundedRect(QRectF(rect()), OverlayLayout::kPanelCornerRadius);
}

void OverlayWidget::setClipsToShape(bool clips) {
  clipsToShape_ = clips;
  updateMasks();
}

void OverlayWidget::updateMasks() {
  if (clipsToShape_) {
    setMask(regionOf(backdropShape()));
  } else {
    clearMask();
  }
  if (languageMenu_ == nullptr) return;
  if (clipsToShape_) {
    languageMenu_->setMask(regionOf(menuShape(languageMenu_->size())));
  } else {
    languageMenu_->clearMask();
  }
}

bool OverlayWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == languageMenu_ && event->type() == QEvent::Resize && clipsToShape_)
    languageMenu_->setMask(regionOf(menuShape(languageMenu_->size())));
  return QWidget::eventFilter(watched, event);
}

QImage OverlayWidget::renderImage() {
  const qreal ratio = devicePixelRatioF();
  QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

void OverlayWidget::paintEvent(QPaintEvent* event) {
  const OverlayLayout& layout = overlayLayout();
  const QRectF dirty = event->rect();
  QPainter painter(this);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

  for (const Primitive& primitive : layout.fixedPrimitives()) {
    if (toQRectF(frameOf(primitive)).intersects(dirty))
      paintPrimitive(painter, primitive, measurer_);
  }

  const Rect scroll = layout.scrollFrame();
  const QRectF area = toQRectF(scroll) & dirty;
  if (area.isEmpty()) return;
  const double offset = scrollOffset();
  painter.setClipRect(area);
  painter.translate(0, scroll.minY() - offset);
  const Rect visible{{area.x(), area.y() - scroll.minY() + offset}, {area.width(), area.height()}};
  for (const Primitive& primitive : layout.primitivesIn(visible))
    paintPrimitive(painter, primitive, measurer_);
}

void OverlayWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layOut();
  if (clipsToShape_) setMask(regionOf(backdropShape()));
}

void OverlayWidget::wheelEvent(QWheelEvent* event) {
  if (scrollBar_->maximum() > 0) {
    QCoreApplication::sendEvent(scrollBar_, event);
  } else {
    event->ignore();
  }
}

void OverlayWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton &&
      toQRectF(overlayLayout().languageSwitchFrame()).contains(event->position())) {
    openLanguageMenu();
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void OverlayWidget::mouseMoveEvent(QMouseEvent* event) {
  if (toQRectF(overlayLayout().languageSwitchFrame()).contains(event->position())) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();
  }
  QWidget::mouseMoveEvent(event);
}

void OverlayWidget::layOut() {
  const Size size{static_cast<double>(width()), static_cast<double>(height())};
  layout_ = std::make_unique<OverlayLayout>(view_, measurer_, size,
                                            iconSource_ ? iconSource_() : nullptr);
  updateScrollBar();
  update();
}

void OverlayWidget::languageWillChange() {
  // Runs before the new language is stored: only schedule, and let several assignments in a row
  // make one new layout.
  if (relayoutQueued_) return;
  relayoutQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        relayoutQueued_ = false;
        layOut();
        if (accessibleModel_) accessibleModel_->textsChanged();
      },
      Qt::QueuedConnection);
}

void OverlayWidget::updateScrollBar() {
  const OverlayLayout& layout = *layout_;
  const Rect frame = layout.scrollFrame();
  const double overflow = layout.contentHeight() - frame.height();
  const int maximum = overflow > 0 ? static_cast<int>(std::ceil(overflow)) : 0;
  scrollBar_->setRange(0, maximum);
  scrollBar_->setPageStep(std::max(1, static_cast<int>(frame.height())));
  const int top = static_cast<int>(std::ceil(frame.minY())) + kScrollBarTopMargin;
  const int bottom = static_cast<int>(std::floor(frame.maxY())) - kScrollBarBottomMargin;
  scrollBar_->setGeometry(width() - kScrollBarWidth - kScrollBarInset, top, kScrollBarWidth,
                          std::max(0, bottom - top));
  scrollBar_->setVisible(maximum > 0 && bottom > top);
}

}  // namespace tavrine::qt
