// SPDX-License-Identifier: MIT
// The panel port on Qt: a frameless, translucent tool window above other windows that never
// takes the keyboard focus and is shown without activating this process.
#pragma once

#include <qwindowdefs.h>
#include <QGuiApplication>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QStringView>
#include <Qt>
#include <functional>

#include "ports/panel.h"
#include "shell/overlay/overlay_widget.h"

namespace tavrine::qt {

// Window flags for a panel with these settings: a frameless tool window that refuses focus,
// above normal windows at the floating level, without a drop shadow when none is wanted; with
// `bypassWindowManager`, an override-redirect window that no window manager places or focuses.
Qt::WindowFlags panelWindowFlags(const PanelSettings& settings, bool bypassWindowManager = false);

// Whether a panel shown on this Qt platform is also raised. Never on macOS ("cocoa"): Qt's
// raise() there activates the whole application (QCocoaWindow::raise), and the level Qt gives a
// tool window that stays on top already keeps the shown panel above other applications' windows.
bool raisesShownPanels(QStringView platformName);

// Keeps Qt from ever activating this application when it raises a window, for every window;
// before the QApplication is made (Qt reads the setting once). For macOS.
void keepRaisesFromActivating();

// A screen rectangle with its origin at the lower left of the primary screen as a window
// geometry in Qt's coordinates, given the primary screen's geometry().
QRect toQtGeometry(const Rect& screenRect, const QRectF& primaryGeometry);

// What the window system does for the panel's translucent backdrop; the desktop backend answers.
// Without one (macOS, tests) the panel counts on a compositor and asks for no blur.
class PanelBackdrop {
 public:
  virtual ~PanelBackdrop() = default;
  // Whether transparent pixels show what lies behind: a compositing manager runs.
  virtual bool isCompositing() const = 0;
  // Asks the compositor to blur what lies behind `region` (device pixels) of `window`; false
  // when it offers no blur.
  virtual bool blurBehind(WId window, const QRegion& region) = 0;
};

// Where a closed panel leaves its window for the next panel: one hidden window, never pinned.
// Shared between the port and its panels, so that either may go first.
struct SpareWindow {
  QPointer<OverlayWidget> widget;
  Qt::WindowFlags flags;
  ~SpareWindow();
};

// How panels look: the light or the dark palette, and the size their content is drawn at.
struct PanelLook {
  bool dark = true;
  double scale = 1;
  bool operator==(const PanelLook&) const = default;
};

class QtPanel final : public Panel {
 public:
  // With a compositor the window stays translucent, blurred behind its rounded shape where the
  // compositor offers that; without one it is cut to that shape.
  // `raisesWhenShown`: see raisesShownPanels(). With `spare`, the panel takes the window left
  // there (showing the new content from its first paint) and leaves its own there once closed.
  QtPanel(const Rect& contentRect, const PanelSettings& settings, PanelBackdrop* backdrop = nullptr,
          bool bypassWindowManager = false,
          bool raisesWhenShown = raisesShownPanels(QGuiApplication::platformName()),
          const std::shared_ptr<SpareWindow>& spare = nullptr, PanelLook look = {});
  // Hides the window and deletes it later, from the event loop, unless it went to the spare.
  ~QtPanel() override;
  QtPanel(const QtPanel&) = delete;
  QtPanel& operator=(const QtPanel&) = delete;

  void orderFrontRegardless() override;
  void close() override;
  // Lets the window take the keyboard, activates it and pins its content. A pinned window is
  // never used again.
  void makeKey() override;

  // The window; null once it has been deleted or left for the next panel.
  OverlayWidget* widget() const { return widget_.data(); }
  // Whether the window was made for this panel rather than kept from one before: native
  // settings are made once per window.
  bool windowIsNew() const { return windowIsNew_; }
  bool isClosed() const { return closed_; }
  // Whether the compositor blurs behind the window.
  bool isBlurred() const { return blurred_; }

 private:
  QPointer<OverlayWidget> widget_;
  std::weak_ptr<SpareWindow> spare_;
  Qt::WindowFlags flags_;
  bool raisesWhenShown_;
  bool windowIsNew_ = true;
  bool closed_ = false;
  bool blurred_ = false;
};

class QtPanelPort final : public PanelPort {
 public:
  // `backdrop` gives the compositor's help with the panel's background, asked afresh for each
  // panel; it must outlive the panels.
  // `bypassWindowManager`: panels are override-redirect windows, mapped by the X server at once,
  // never placed or given the keyboard by a window manager (the Linux session's choice).
  // One native window serves panel after panel: a closed panel leaves it for the next.
  explicit QtPanelPort(PanelBackdrop* backdrop = nullptr, bool bypassWindowManager = false,
                       bool raisesWhenShown = raisesShownPanels(QGuiApplication::platformName()))
      : backdrop_(backdrop),
        bypassWindowManager_(bypassWindowManager),
        raisesWhenShown_(raisesWhenShown) {}

  // Null when the settings carry no content to show.
  PanelRef makePanel(const Rect& contentRect, const PanelSettings& settings) override;
  // Every panel from now on offers the Settings window in its language menu.
  void setOpenSettings(std::function<void()> openSettings) {
    openSettings_ = std::move(openSettings);
  }
  double panelScale() const override { return look_.scale; }

  // The look of the panels made from now on, and of the one made last while it is open.
  void setLook(PanelLook look);
  const PanelLook& look() const { return look_; }

  // Makes the first panel's work ahead, at launch: the native window, created hidden and kept
  // for it, and the fonts and glyphs of `settings.content` rendered once off screen.
  void warmUp(const Rect& contentRect, const PanelSettings& settings);

 private:
  PanelBackdrop* backdrop_;
  bool bypassWindowManager_;
  bool raisesWhenShown_;
  std::shared_ptr<SpareWindow> spare_ = std::make_shared<SpareWindow>();
  std::function<void()> openSettings_;
  PanelLook look_;
  std::weak_ptr<QtPanel> last_;
};

}  // namespace tavrine::qt
