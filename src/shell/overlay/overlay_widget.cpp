// SPDX-License-Identifier: MIT
#include "shell/overlay/overlay_widget.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QScrollBar>
#include <QStandardPaths>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "export/sheet_export.h"
#include "shell/overlay/overlay_painter.h"
#include "shell/overlay/sheet_pdf.h"
#include "shell/qt/qt_image.h"

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

QRegion regionOf(const QPainterPath& path) {
  return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}

QPainterPath menuShape(const QSize& size) {
  QPainterPath path;
  path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), kMenuCornerRadius, kMenuCornerRadius);
  return path;
}

constexpr int kSearchWidth = 240;
constexpr int kSearchHeight = 26;
constexpr int kCountWidth = 220;
constexpr int kSearchGap = 10;

// The pinned overlay's selected row, in the ink's alpha.
constexpr int kSelectionAlpha = 36;

}  // namespace

OverlayWidget::OverlayWidget(std::shared_ptr<OverlayView> view, QWidget* parent)
    : QWidget(parent), view_(std::move(view)) {
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  setMouseTracking(true);
  // The panel never takes focus, and a taken row's tooltip must show all the same.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  scrollBar_->setStyleSheet(overlayPalette().scrollBarStyle());
  scrollBar_->setSingleStep(kScrollStep);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  scrollBar_->hide();
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this] {
    update(toQRectF(layout_->scrollFrame()).toAlignedRect());
    if (accessibleModel_) accessibleModel_->scrolled();
  });
  layOut();
  languageSubscription_ = view_->subscribeWillChange([this] { languageWillChange(); });
}

void OverlayWidget::setView(std::shared_ptr<OverlayView> view) {
  languageSubscription_ = {};
  view_ = std::move(view);
  languageSubscription_ = view_->subscribeWillChange([this] { languageWillChange(); });
  // The accessible tree described the rows of the view before.
  const bool hadTree = accessibleModel_ != nullptr;
  accessibleModel_.reset();
  scrollBar_->setValue(0);
  layOut();
  if (hadTree && QAccessible::isActive()) {
    QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reorder);
    QAccessibleEvent name(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
  }
}

void OverlayWidget::setLook(bool dark, double scale) {
  const OverlayPalette* palette = &OverlayPalette::of(dark);
  if (palette == palette_ && scale == scale_) return;
  palette_ = palette;
  scale_ = scale;
  scrollBar_->setStyleSheet(palette_->scrollBarStyle());
  if (languageMenu_ != nullptr)
    languageMenu_->setStyleSheet(palette_->menuStyle(kMenuCornerRadius));
  if (searchField_ != nullptr) {
    searchField_->setStyleSheet(palette_->searchFieldStyle());
    countLabel_->setStyleSheet(palette_->countStyle());
  }
  dropPaintedAhead();
  layOut();
  if (clipsToShape_) updateMasks();
  if (accessibleModel_) accessibleModel_->textsChanged();
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
    languageMenu_->setStyleSheet(overlayPalette().menuStyle(kMenuCornerRadius));
    languageMenu_->installEventFilter(this);
    for (const OverlayView::LanguageItem& item : OverlayView::languageItems()) {
      QAction* action = languageMenu_->addAction(toQString(item.title));
      connect(action, &QAction::triggered, this, [this, item] { view_->choose(item); });
    }
    languageMenu_->addSeparator();
    QAction* never = languageMenu_->addAction(QString());
    connect(never, &QAction::triggered, this, [this] {
      if (const std::shared_ptr<OverlayActions> actions = view_->actions())
        actions->neverShowOverShownApplication();
    });
    // Named for the application on screen, and offered only where someone carries it out.
    connect(languageMenu_, &QMenu::aboutToShow, never, [this, never] {
      never->setText(toQString(view_->neverShowOverLabel()));
      never->setVisible(view_->actions() != nullptr);
    });
    addSettingsItem();
  }
  return languageMenu_;
}

void OverlayWidget::setOpenSettings(std::function<void()> openSettings) {
  openSettings_ = std::move(openSettings);
  addSettingsItem();
}

void OverlayWidget::addSettingsItem() {
  if (languageMenu_ == nullptr || !openSettings_ || settingsAction_ != nullptr) return;
  languageMenu_->addSeparator();
  settingsAction_ = languageMenu_->addAction(QString());
  connect(settingsAction_, &QAction::triggered, this, [this] {
    if (openSettings_) openSettings_();
  });
}

void OverlayWidget::openLanguageMenu() {
  QMenu* menu = languageMenu();
  if (settingsAction_ != nullptr)
    settingsAction_->setText(view().t().isZH() ? QStringLiteral("设置…")
                                               : QStringLiteral("Settings…"));
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
  return continuousRoundedRect(QRectF(rect()), layout_->panelCornerRadius());
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
  if (watched == searchField_ && event->type() == QEvent::KeyPress &&
      handleSearchKey(static_cast<QKeyEvent*>(event))) {
    return true;
  }
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

void OverlayWidget::paintAhead() {
  const qreal ratio = devicePixelRatioF();
  QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  paintContent(painter, QRectF(rect()));
  painter.end();
  paintedAhead_ = std::move(image);
  paintedLayout_ = layout_.get();
  paintedOffset_ = scrollOffset();
}

void OverlayWidget::dropPaintedAhead() {
  paintedAhead_ = QImage();
  paintedLayout_ = nullptr;
}

void OverlayWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (!paintedAhead_.isNull()) {
    if (paintedLayout_ == layout_.get() && paintedOffset_ == scrollOffset() && !search_) {
      const QRectF target(event->rect());
      const qreal ratio = paintedAhead_.devicePixelRatio();
      painter.drawImage(target, paintedAhead_,
                        QRectF(target.topLeft() * ratio, target.size() * ratio));
      return;
    }
    dropPaintedAhead();
  }
  paintContent(painter, QRectF(event->rect()));
}

void OverlayWidget::paintContent(QPainter& painter, const QRectF& dirty) {
  const OverlayLayout& layout = overlayLayout();
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

  for (const Primitive& primitive : layout.fixedPrimitives()) {
    if (toQRectF(frameOf(primitive)).intersects(dirty))
      paintPrimitive(painter, primitive, measurer_, overlayPalette());
  }

  const Rect scroll = layout.scrollFrame();
  const QRectF area = toQRectF(scroll) & dirty;
  if (area.isEmpty()) return;
  const double offset = scrollOffset();
  painter.setClipRect(area);
  painter.translate(0, scroll.minY() - offset);
  const Rect visible{{area.x(), area.y() - scroll.minY() + offset}, {area.width(), area.height()}};
  for (const Primitive& primitive : layout.primitivesIn(visible))
    paintPrimitive(painter, primitive, measurer_, overlayPalette());
  if (search_) paintSearch(painter, visible);
}

Rect OverlayWidget::foundRowFrame(const search::FoundRow& row) const {
  return overlayLayout().rowFrame(
      row.system ? OverlayLayout::Section::system : OverlayLayout::Section::application,
      row.section, row.row);
}

void OverlayWidget::paintSearch(QPainter& painter, const Rect& visible) {
  const OverlayLayout& layout = overlayLayout();
  if (search_->rows.empty()) {
    // Centred in the scrolling area.
    const Font font{15, FontWeight::medium, FontDesign::standard};
    const std::string text(search::text(search::Text::noMatch, view_->t().isZH()));
    const Size size = measurer_.measure(text, font);
    const Rect frame{{(layout.panelSize().width - size.width) / 2,
                      visible.minY() + (visible.height() - size.height) / 2},
                     size};
    paintPrimitive(painter, TextPrimitive{text, frame, font, 0.6}, measurer_, overlayPalette());
    return;
  }
  for (std::size_t i = 0; i < search_->rows.size(); ++i) {
    const search::FoundRow& row = search_->rows[i];
    const Rect cell = foundRowFrame(row);
    if (!cell.intersects(visible)) continue;
    if (i == selected_) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(overlayPalette().inkAt(kSelectionAlpha / 255.0));
      painter.drawRoundedRect(toQRectF(cell).adjusted(-6, -1, 6, 1), 5, 5);
    }
    if (row.match.highlights.empty()) continue;
    // The title is the text drawn at the cell's leading edge, maybe shortened.
    for (const Primitive& primitive : layout.primitivesIn(cell)) {
      const auto* title = std::get_if<TextPrimitive>(&primitive);
      if (title == nullptr || title->frame.minX() != cell.minX()) continue;
      const QFontMetricsF& metrics = measurer_.metrics(title->font);
      const std::size_t shown = title->text.size();
      painter.setPen(Qt::NoPen);
      painter.setBrush(overlayPalette().highlight);
      for (const search::Range& r : row.match.highlights) {
        if (r.begin >= shown) break;
        const std::size_t end = std::min(r.end, shown);
        const double x0 = metrics.horizontalAdvance(toQString(title->text.substr(0, r.begin)));
        const double x1 = metrics.horizontalAdvance(toQString(title->text.substr(0, end)));
        painter.drawRoundedRect(
            QRectF(title->frame.minX() + x0, title->frame.minY(), x1 - x0, metrics.height()), 3, 3);
      }
      break;
    }
  }
}

std::optional<std::size_t> OverlayWidget::rowAt(const QPointF& position) const {
  if (!search_) return std::nullopt;
  const Rect scroll = overlayLayout().scrollFrame();
  if (!toQRectF(scroll).contains(position)) return std::nullopt;
  const QPointF point(position.x(), position.y() - scroll.minY() + scrollOffset());
  for (std::size_t i = 0; i < search_->rows.size(); ++i) {
    if (toQRectF(foundRowFrame(search_->rows[i])).contains(point)) return i;
  }
  return std::nullopt;
}

std::string OverlayWidget::conflictAt(const QPointF& position) const {
  const OverlayLayout& layout = overlayLayout();
  const Rect scroll = layout.scrollFrame();
  if (!toQRectF(scroll).contains(position)) return {};
  const QPointF point(position.x(), position.y() - scroll.minY() + scrollOffset());
  const std::vector<const OverlayView::Group*> groups = view().sortedGroups();
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const std::vector<ShortcutEntry>& rows = groups[g]->second;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (toQRectF(layout.rowFrame(OverlayLayout::Section::application, g, r)).contains(point))
        return view().appRow(rows[r]).conflict;
    }
  }
  return {};
}

void OverlayWidget::setPinned() {
  if (pinned_) return;
  pinned_ = true;
  searchField_ = new QLineEdit(this);
  searchField_->setStyleSheet(overlayPalette().searchFieldStyle());
  const QString placeholder = toQString(search::text(search::Text::searchField, view_->t().isZH()));
  searchField_->setPlaceholderText(placeholder);
  searchField_->setAccessibleName(placeholder);
  searchField_->installEventFilter(this);
  countLabel_ = new QLabel(this);
  countLabel_->setStyleSheet(overlayPalette().countStyle());
  countLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  connect(searchField_, &QLineEdit::textChanged, this, [this] { searchChanged(); });
  setFocusPolicy(Qt::StrongFocus);
  searchChanged();
  placeSearch();
  searchField_->show();
  countLabel_->show();
  searchField_->setFocus(Qt::OtherFocusReason);
}

void OverlayWidget::placeSearch() {
  if (searchField_ == nullptr) return;
  const Rect language = overlayLayout().languageSwitchFrame();
  const int x = static_cast<int>(language.minX()) - kSearchGap - kSearchWidth;
  const int y = static_cast<int>(std::lround(language.midY())) - kSearchHeight / 2;
  searchField_->setGeometry(x, y, kSearchWidth, kSearchHeight);
  countLabel_->setGeometry(x - kSearchGap - kCountWidth, y, kCountWidth, kSearchHeight);
}

void OverlayWidget::searchChanged() {
  if (!pinned_) return;
  search_ = search::searchOverlay(*view_, searchField_->text().toStdString());
  shown_ = search_->view;
  // The accessible tree described the rows shown before.
  const bool hadTree = accessibleModel_ != nullptr;
  accessibleModel_.reset();
  selected_ = search_->best;
  scrollBar_->setValue(0);
  layOut();
  const bool zh = view_->t().isZH();
  countLabel_->setText(toQString(search_->rows.empty()
                                     ? std::string(search::text(search::Text::noMatch, zh))
                                     : search::resultCountText(search_->rows.size(), zh)));
  if (QAccessible::isActive()) {
    if (hadTree) {
      QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
      QAccessible::updateAccessibility(&reorder);
    }
    QAccessibleEvent count(countLabel_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&count);
  }
  if (!search_->rows.empty()) select(selected_);
}

void OverlayWidget::select(std::size_t row) {
  if (!search_ || row >= search_->rows.size()) return;
  selected_ = row;
  const search::FoundRow& found = search_->rows[row];
  // Into the view, as little as it takes.
  const Rect cell = foundRowFrame(found);
  const Rect visible = visibleContentRect();
  if (cell.minY() < visible.minY()) {
    scrollTo(cell.minY() - kScrollStep);
  } else if (cell.maxY() > visible.maxY()) {
    scrollTo(cell.maxY() - visible.height() + kScrollStep);
  }
  update();
  // The search dropped the model of the rows shown before: an assistive technology that is
  // listening gets the new one made, and hears the row.
  if (QAccessible::isActive() && !accessibleModel_) {
    if (QAccessibleInterface* window = QAccessible::queryAccessibleInterface(this))
      window->childCount();
  }
  if (accessibleModel_) accessibleModel_->rowFocused(found.system, found.section, found.row);
}

void OverlayWidget::run(std::size_t row) {
  if (!search_ || row >= search_->rows.size()) return;
  const std::shared_ptr<OverlayActions> actions = view_->actions();
  const search::FoundRow found = search_->rows[row];
  if (actions && actions->runShortcut(found.item)) return;  // this window is closing
  // Says so rather than pretending.
  tell(search::text(search::Text::cannotRun, view_->t().isZH()));
}

void OverlayWidget::tell(std::string_view message) {
  countLabel_->setText(toQString(message));
  if (QAccessible::isActive()) {
    QAccessibleEvent event(countLabel_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
  }
}

void OverlayWidget::exportPdf() {
  const bool zh = view_->t().isZH();
  const QString suggested =
      QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
          .filePath(toQString(exported::pdfFileName(view().appName(), zh)));
  // The dialog takes the keyboard for a while: that is no reason to close.
  dialogOpen_ = true;
  // The overlay may still close meanwhile (a pressed row's answer, the tray's item): its window
  // is then deleted inside the dialog's loop, and its children with it. So the dialog is made
  // here, where that deletion can be seen, not on the stack of Qt's static call.
  const QPointer<QFileDialog> dialog =
      new QFileDialog(this, QStringLiteral("PDF"), suggested, QStringLiteral("PDF (*.pdf)"));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  const bool chosen = dialog->exec() == QDialog::Accepted;
  if (dialog.isNull()) return;
  const QString path = chosen ? dialog->selectedFiles().value(0) : QString();
  delete dialog.data();
  dialogOpen_ = false;
  activateWindow();
  if (path.isEmpty()) return;
  const bool written = writeSheetPdf(exported::documentOf(view()), iconOf(view().icon()), path);
  tell(written ? search::text(search::Text::saved, zh) : search::text(search::Text::notSaved, zh));
}

void OverlayWidget::copyMarkdown() {
  QGuiApplication::clipboard()->setText(
      toQString(exported::toMarkdown(exported::documentOf(view()))));
  tell(search::text(search::Text::copied, view_->t().isZH()));
}

bool OverlayWidget::handleSearchKey(QKeyEvent* event) {
  if (!pinned_ || !search_) return false;
  const std::size_t count = search_->rows.size();
  if (event->modifiers().testFlag(Qt::ControlModifier)) {
    // Take the sheet away, exactly as shown.
    if (event->key() == Qt::Key_P) {
      exportPdf();
      return true;
    }
    if (event->key() == Qt::Key_C && event->modifiers().testFlag(Qt::ShiftModifier)) {
      copyMarkdown();
      return true;
    }
  }
  switch (event->key()) {
    case Qt::Key_Escape:
      if (const std::shared_ptr<OverlayActions> actions = view_->actions())
        actions->closePinnedOverlay();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (count > 0) run(selected_);
      return true;
    case Qt::Key_Down:
      if (count > 0) select(std::min(selected_ + 1, count - 1));
      return true;
    case Qt::Key_Up:
      if (count > 0) select(selected_ > 0 ? selected_ - 1 : 0);
      return true;
    default:
      return false;
  }
}

void OverlayWidget::keyPressEvent(QKeyEvent* event) {
  if (handleSearchKey(event)) return;
  QWidget::keyPressEvent(event);
}

void OverlayWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (!pinned_ || event->type() != QEvent::ActivationChange) return;
  if (isActiveWindow()) {
    wasActive_ = true;
    return;
  }
  // A click outside (or another window taking the keyboard) closes a pinned overlay; its own
  // language menu does not.
  if (!wasActive_ || dialogOpen_ || QApplication::activePopupWidget() != nullptr) return;
  if (const std::shared_ptr<OverlayActions> actions = view_->actions())
    actions->pinnedOverlayLostKeyboard();
}

void OverlayWidget::hideEvent(QHideEvent* event) {
  // A menu left open would float alone over the desktop.
  if (languageMenu_ != nullptr) languageMenu_->hide();
  dropPaintedAhead();
  QWidget::hideEvent(event);
}

void OverlayWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A panel is laid out when made, before Qt delivers its first resize at the show.
  if (layout_->panelSize() != Size{static_cast<double>(width()), static_cast<double>(height())})
    layOut();
  if (clipsToShape_) setMask(regionOf(backdropShape()));
}

bool OverlayWidget::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const std::string conflict = conflictAt(help->pos());
  if (conflict.empty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(help->globalPos(), toQString(conflict), this);
  }
  return true;
}

void OverlayWidget::wheelEvent(QWheelEvent* event) {
  if (scrollBar_->maximum() > 0) {
    QCoreApplication::sendEvent(scrollBar_, event);
  } else {
    event->ignore();
  }
}

void OverlayWidget::mousePressEvent(QMouseEvent* event) {
  const std::shared_ptr<OverlayActions> actions = view_->actions();
  // Ctrl-click (Command-click on macOS) pins the overlay; a click on a row of a pinned one runs it.
  if (!pinned_ && actions && event->button() == Qt::LeftButton &&
      event->modifiers().testFlag(Qt::ControlModifier)) {
    actions->pinOverlay();
    event->accept();
    return;
  }
  if (pinned_ && event->button() == Qt::LeftButton) {
    if (const std::optional<std::size_t> row = rowAt(event->position())) {
      select(*row);
      run(*row);
      event->accept();
      return;
    }
  }
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
  layout_ = std::make_unique<OverlayLayout>(shown_ ? shown_ : view_, measurer_, size, view().icon(),
                                            scale_);
  placeSearch();
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
        if (pinned_) {
          searchChanged();  // the texts searched are the new language's
          return;
        }
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
