// SPDX-License-Identifier: MIT
// The overlay's content: paints the core's layout, scrolls it, and hosts the language switch.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QWidget>
#include <functional>
#include <memory>

#include "overlay/overlay_layout.h"
#include "overlay/overlay_view.h"
#include "platform/workspace.h"
#include "shell/qt_text_measurer.h"

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
  // Asked for the frontmost application's icon at every render; null or returning null means
  // no icon.
  using IconSource = std::function<ImageRef()>;

  // The view is mutable: the language switch chooses through it.
  explicit OverlayWidget(std::shared_ptr<OverlayView> view, IconSource iconSource = {},
                         QWidget* parent = nullptr);
  ~OverlayWidget() override;

  const OverlayView& view() const { return *view_; }
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
  };
  template <typename Model>
  Model& accessibleModel() {
    if (!accessibleModel_) accessibleModel_ = std::make_unique<Model>(*this);
    return static_cast<Model&>(*accessibleModel_);
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Builds the layout for the current size and language, and fits the scroll bar to it.
  void layOut();
  void languageWillChange();
  void updateScrollBar();
  void updateMasks();

  std::shared_ptr<OverlayView> view_;
  IconSource iconSource_;
  QtTextMeasurer measurer_;
  std::unique_ptr<OverlayLayout> layout_;
  QScrollBar* scrollBar_ = nullptr;
  QMenu* languageMenu_ = nullptr;
  OverlayView::Subscription languageSubscription_;
  bool relayoutQueued_ = false;
  bool clipsToShape_ = false;
  std::unique_ptr<AccessibleModel> accessibleModel_;
};

}  // namespace tavrine::qt
