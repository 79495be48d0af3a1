// SPDX-License-Identifier: MIT
// The overlay's content: paints the core's layout, scrolls it, and hosts the language switch.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "overlay/overlay_layout.h"
#include "overlay/overlay_view.h"
#include "ports/workspace.h"
#include "search/overlay_search.h"
#include "shell/overlay/overlay_palette.h"
#include "shell/qt/qt_text_measurer.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;

namespace tavrine::qt {

// Paints only what intersects the visible part of the scrolling area, so the cost of a frame
// follows the screenful shown, not the number of shortcuts. The layout is rebuilt on resize and
// after each language change, never while painting or answering a query; all text is drawn as
// plain text.
class OverlayWidget final : public QWidget {
  Q_OBJECT

 public:
  // The view is mutable: the language switch chooses through it. The header shows the view's
  // icon.
  explicit OverlayWidget(std::shared_ptr<OverlayView> view, QWidget* parent = nullptr);
  ~OverlayWidget() override;

  // Shows `view` from now on, laid out at once for the current size and scrolled to the top, so
  // that the next paint draws nothing of the view before. For a window that is hidden and was
  // never pinned: the overlay's window is kept between shows.
  void setView(std::shared_ptr<OverlayView> view);

  // Paints the content now, into an image that the next paints copy while the layout and the
  // scrolling stay as they are: the first frame after a show then costs a copy, not a paint.
  void paintAhead();
  // Frees that image (a hidden window keeps no picture of what it showed).
  void dropPaintedAhead();

  // The look: the light or the dark palette, and the size of everything drawn (1 as designed).
  // Laid out and painted again when it changes.
  void setLook(bool dark, double scale);
  const OverlayPalette& overlayPalette() const { return *palette_; }

  // What is shown: the whole view, or in a pinned overlay the rows its search kept.
  const OverlayView& view() const { return shown_ ? *shown_ : *view_; }
  const QtTextMeasurer& measurer() const { return measurer_; }
  // The layout for the current size and language. A hidden widget that was resized is laid
  // out again when shown or rendered, when Qt delivers the resize.
  const OverlayLayout& overlayLayout() const { return *layout_; }

  // The vertical scroll bar over the scrolling area's trailing edge; shown only when the content
  // is taller than the area.
  QScrollBar* scrollBar() const { return scrollBar_; }
  double scrollOffset() const;
  // Scrolls the content to `offset` points from its top, within the scrollable range.
  void scrollTo(double offset);
  // The scrolling area's visible part, in content coordinates.
  Rect visibleContentRect() const;

  // The language switch's menu ("English", "中文", no check marks), dark and rounded like the
  // panel, made on first use.
  QMenu* languageMenu();
  // With a way to open the Settings window, the menu offers it too, after the languages (for
  // desktops without a tray, where the status menu cannot be reached).
  void setOpenSettings(std::function<void()> openSettings);
  // Opens the menu below the switch, inside the panel, without blocking: the panel may be closed
  // while it is open.
  void openLanguageMenu();

  // The backdrop's rounded outline, in widget coordinates.
  QPainterPath backdropShape() const;
  // Cuts this window and its language menu to their rounded shapes, for window systems without a
  // compositor, where transparent corners would show black.
  void setClipsToShape(bool clips);

  // The overlay and its scroll bar painted into a transparent image, as on screen.
  QImage renderImage();

  // What the accessibility layer keeps about the painted content: made by it on first use, told
  // when the texts change, destroyed before the widget.
  class AccessibleModel {
   public:
    virtual ~AccessibleModel() = default;
    virtual void textsChanged() = 0;
    virtual void scrolled() = 0;
    virtual void rowFocused(bool system, std::size_t group, std::size_t item) = 0;
  };
  template <typename Model>
  Model& accessibleModel() {
    if (!accessibleModel_) accessibleModel_ = std::make_unique<Model>(*this);
    return static_cast<Model&>(*accessibleModel_);
  }

  // Pinned: the window takes the keyboard, shows a search field in the header with the number
  // of rows it keeps, and runs a row on Enter or a click. Esc or leaving the window closes it.
  // Ctrl+P saves what is shown as a PDF, Ctrl+Shift+C copies it as Markdown.
  void setPinned();
  bool isPinned() const { return pinned_; }
  QLineEdit* searchField() const { return searchField_; }
  QLabel* countLabel() const { return countLabel_; }
  // The search behind what is shown (pinned only), and the selected row among its rows.
  const search::OverlaySearch* currentSearch() const { return search_ ? &*search_ : nullptr; }
  std::size_t selectedRow() const { return selected_; }
  // The row under a point of the widget, as an index in the search's rows.
  std::optional<std::size_t> rowAt(const QPointF& position) const;
  // What takes the shortcut of the application row under a point of the widget ("taken by the
  // desktop: …"), its tooltip; empty over anything else.
  std::string conflictAt(const QPointF& position) const;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Builds the layout for the current size and language, and fits the scroll bar to it.
  void layOut();
  void paintContent(QPainter& painter, const QRectF& dirty);
  void languageWillChange();
  void updateScrollBar();
  void updateMasks();
  // The language menu's "Settings…" item, once the menu and a way to open the window are both
  // there.
  void addSettingsItem();
  // Searches again for the field's text, selecting the best match.
  void searchChanged();
  void select(std::size_t row);
  void run(std::size_t row);
  bool handleSearchKey(QKeyEvent* event);
  // Says `message` where the count stands, and to assistive technologies.
  void tell(std::string_view message);
  void exportPdf();
  void copyMarkdown();
  void placeSearch();
  void paintSearch(QPainter& painter, const Rect& visible);
  Rect foundRowFrame(const search::FoundRow& row) const;

  std::shared_ptr<OverlayView> view_;
  std::shared_ptr<const OverlayView> shown_;  // the search's narrowed view; null: view_
  QtTextMeasurer measurer_;
  std::unique_ptr<OverlayLayout> layout_;
  const OverlayPalette* palette_ = &OverlayPalette::dark();
  double scale_ = 1;
  QImage paintedAhead_;
  const OverlayLayout* paintedLayout_ = nullptr;  // what the image shows
  double paintedOffset_ = 0;
  QScrollBar* scrollBar_ = nullptr;
  QMenu* languageMenu_ = nullptr;
  std::function<void()> openSettings_;
  QAction* settingsAction_ = nullptr;
  OverlayView::Subscription languageSubscription_;
  bool relayoutQueued_ = false;
  bool clipsToShape_ = false;
  std::unique_ptr<AccessibleModel> accessibleModel_;
  bool pinned_ = false;
  bool wasActive_ = false;
  bool dialogOpen_ = false;
  QLineEdit* searchField_ = nullptr;
  QLabel* countLabel_ = nullptr;
  std::optional<search::OverlaySearch> search_;
  std::size_t selected_ = 0;
};

}  // namespace tavrine::qt
