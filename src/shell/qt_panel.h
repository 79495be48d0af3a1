// SPDX-License-Identifier: MIT
// The panel port on Qt: a frameless, translucent tool window above other windows that never
// takes the keyboard focus and is shown without activating this process.
#pragma once

#include <QPointer>
#include <QRect>
#include <QRectF>
#include <Qt>

#include "platform/panel.h"
#include "platform/workspace.h"
#include "shell/overlay_widget.h"

namespace tavrine::qt {

// Window flags for a panel with these settings: a frameless tool window that refuses focus,
// above normal windows at the floating level, without a drop shadow when none is wanted; with
// `bypassWindowManager`, an override-redirect window that no window manager places or focuses.
Qt::WindowFlags panelWindowFlags(const PanelSettings& settings, bool bypassWindowManager = false);

// A screen rectangle with its origin at the lower left of the primary screen as a window
// geometry in Qt's coordinates, given the primary screen's geometry().
QRect toQtGeometry(const Rect& screenRect, const QRectF& primaryGeometry);

class QtPanel final : public Panel {
 public:
  QtPanel(const Rect& contentRect, const PanelSettings& settings,
          OverlayWidget::IconSource iconSource, bool bypassWindowManager = false);
  // Hides the window and deletes it later, from the event loop.
  ~QtPanel() override;
  QtPanel(const QtPanel&) = delete;
  QtPanel& operator=(const QtPanel&) = delete;

  void orderFrontRegardless() override;
  void close() override;

  // The window; null once it has been deleted.
  OverlayWidget* widget() const { return widget_.data(); }
  bool isClosed() const { return closed_; }

 private:
  QPointer<OverlayWidget> widget_;
  bool closed_ = false;
};

class QtPanelPort final : public PanelPort {
 public:
  // `workspace` supplies the frontmost application's icon for the header at every render; it
  // must outlive the panels. Without it the header shows no icon. `bypassWindowManager`: panels
  // are override-redirect windows (XWayland in a Wayland session, where the compositor would
  // otherwise place them and give them the keyboard).
  explicit QtPanelPort(const WorkspacePort* workspace = nullptr, bool bypassWindowManager = false)
      : workspace_(workspace), bypassWindowManager_(bypassWindowManager) {}

  // Null when the settings carry no content to show.
  PanelRef makePanel(const Rect& contentRect, const PanelSettings& settings) override;

 private:
  const WorkspacePort* workspace_;
  bool bypassWindowManager_;
};

}  // namespace tavrine::qt
