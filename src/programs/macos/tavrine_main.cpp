// SPDX-License-Identifier: MIT
// The program on macOS: the status-bar utility as the bundle Tavrine.app (LSUIElement: no Dock
// icon). It joins the Qt shell's ports to the macOS backend, hands them to the application
// delegate and runs the main loop. The backend is reached through plain C++ headers only.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMessageBox>  // complete for QtApplication's inline members
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "app/app_delegate.h"
#include "backends/macos/ax_accessibility.h"
#include "backends/macos/ax_trust.h"
#include "backends/macos/image_bitmap.h"
#include "backends/macos/ns_application.h"
#include "backends/macos/ns_event_monitor.h"
#include "backends/macos/ns_screens.h"
#include "backends/macos/ns_workspace.h"
#include "backends/macos/overlay_window.h"
#include "overlay/overlay_layout.h"
#include "ports/platform.h"
#include "shell/overlay/qt_panel.h"
#include "shell/qt/qt_application.h"
#include "shell/qt/qt_image.h"
#include "shell/qt/qt_run_loop.h"
#include "shell/qt/qt_status_bar.h"
#include "sources/menu_bar/menu_bar_source.h"
#include "sources/system/system_shortcuts.h"

namespace {

using namespace tavrine;

// AppKit's bitmaps are premultiplied ARGB words: QImage's ARGB32_Premultiplied.
QImage toQImage(const macos::Bitmap& bitmap) {
  return qt::QtImage::argb32Image(bitmap.width, bitmap.height, bitmap.pixels.data(),
                                  bitmap.pixels.size(), QImage::Format_ARGB32_Premultiplied);
}

ImageRef iconOf(const macos::Bitmap& bitmap) {
  return qt::QtImage::fromArgb32(bitmap.width, bitmap.height, bitmap.pixels.data(),
                                 bitmap.pixels.size(), QImage::Format_ARGB32_Premultiplied);
}

// Qt's status items, with the system's own "command.square" symbol as their template image
// (the drawn one where the system has none).
class SystemSymbolStatusBar final : public StatusBarPort {
 public:
  explicit SystemSymbolStatusBar(qt::QtStatusBar& statusBar) : statusBar_(statusBar) {}

  StatusItemRef statusItemWithLength(double length) override {
    return statusBar_.statusItemWithLength(length);
  }

  ImageRef systemSymbolImage(std::string_view name,
                             std::string_view accessibilityDescription) override {
    QIcon icon;
    // Menu-bar icons are 18 points high; both pixel densities.
    for (const int pixels : {18, 36}) {
      if (const std::optional<macos::Bitmap> symbol =
              macos::systemSymbolBitmap(name, accessibilityDescription, pixels)) {
        const QImage image = toQImage(*symbol);
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
      }
    }
    if (icon.isNull()) return statusBar_.systemSymbolImage(name, accessibilityDescription);
    // A mask is a template image in the menu bar: the system tints it for light and dark.
    icon.setIsMask(true);
    return std::make_shared<qt::QtImage>(
        icon, QString::fromUtf8(accessibilityDescription.data(),
                                static_cast<qsizetype>(accessibilityDescription.size())));
  }

 private:
  qt::QtStatusBar& statusBar_;
};

// Qt's panels, with what Qt cannot set made native on their windows before they are shown.
class NativePanelPort final : public PanelPort {
 public:
  explicit NativePanelPort(qt::QtPanelPort& panels) : panels_(panels) {}

  PanelRef makePanel(const Rect& contentRect, const PanelSettings& settings) override {
    PanelRef panel = panels_.makePanel(contentRect, settings);
    const auto* qtPanel = dynamic_cast<const qt::QtPanel*>(panel.get());
    // A window kept from an earlier panel was configured when it was made.
    if (qtPanel != nullptr && qtPanel->windowIsNew() && qtPanel->widget() != nullptr) {
      // winId() creates the native window now, so it is configured before the first show.
      macos::configureOverlayWindow(static_cast<std::uintptr_t>(qtPanel->widget()->winId()),
                                    settings, OverlayLayout::kPanelCornerRadius);
    }
    return panel;
  }

 private:
  qt::QtPanelPort& panels_;
};

}  // namespace

int main(int argc, char** argv) {
  qt::keepRaisesFromActivating();
  QApplication app(argc, argv);
  QApplication::setApplicationName(qt::QtApplication::applicationName());

  macos::AxTrust trust;
  macos::NsWorkspace workspace(iconOf);
  macos::NsEventMonitor events(trust);
  qt::QtRunLoop runLoop;
  // Qt's port keeps the main loop from ending with its last window; the policy is AppKit's.
  qt::QtApplication portableApplication(macos::setActivationPolicy);
  macos::NsApplication application(portableApplication);
  qt::QtStatusBar qtStatusBar(qt::TrayAvailability::always);
  SystemSymbolStatusBar statusBar(qtStatusBar);
  macos::NsScreens screens;
  qt::QtPanelPort qtPanels;
  NativePanelPort panels(qtPanels);
  macos::AxAccessibility accessibility;

  const Platform platform{application,   runLoop,   events,  workspace, trust,
                          accessibility, statusBar, screens, panels};
  // Where shortcuts come from, in the order the overlay takes them: a new source is one line.
  std::vector<ShortcutSourceRef> sources = {
      std::make_shared<MenuBarSource>(accessibility),
      std::make_shared<SystemShortcuts>(Desktop::macOS),
  };
  // Glyph caps: the overlay's default.
  const std::shared_ptr<AppDelegate> delegate = AppDelegate::create(
      platform, std::move(sources), TranslationHelper::shared(), OverlayStyle{});
  qtStatusBar.setResponderChainEnd(delegate);

  delegate->applicationDidFinishLaunching();
  return QApplication::exec();
}
