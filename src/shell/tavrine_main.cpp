// SPDX-License-Identifier: MIT
// The program on Linux/X11: a status-bar utility that opens no window at start. It joins the Qt
// shell's ports to the X11 and session-bus backend, hands them to the application delegate and
// runs the main loop. One runs per session; a second start says so and ends.
#include <QApplication>
#include <QMessageBox>  // complete for QtApplication's inline members
#include <QSocketNotifier>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "app/app_delegate.h"
#include "platform/linux/a11y_bus_trust.h"
#include "platform/linux/atspi_accessibility.h"
#include "platform/linux/desktop_environment.h"
#include "platform/linux/session_bus.h"
#include "platform/linux/single_instance.h"
#include "platform/linux/x11_key_watcher.h"
#include "platform/linux/x11_window_effects.h"
#include "platform/linux/x11_workspace.h"
#include "platform/platform.h"
#include "shell/qt_application.h"
#include "shell/qt_image.h"
#include "shell/qt_panel.h"
#include "shell/qt_run_loop.h"
#include "shell/qt_screens.h"
#include "shell/qt_status_bar.h"
#include "shell/qt_x11_backdrop.h"
#include "shell/qt_x11_event_monitor.h"

namespace {

using namespace tavrine;

// The application id: the session-bus name, and the name of the installed desktop entry, icons
// and AppStream component.
constexpr const char* kAppId = "io.github.tavrine.Tavrine";
constexpr const char* kAccessibilityBusProperty = "AT_SPI_BUS";

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

bool isWaylandSession() {
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return (type != nullptr && std::strcmp(type, "wayland") == 0) || isSet("WAYLAND_DISPLAY");
}

void tell(const char* text) {
  std::fprintf(stderr, "%s\n", text);
}

// The status item's tray icon, when the desktop has a tray.
QSystemTrayIcon* trayIconOf(const AppDelegate& delegate) {
  const auto* item = dynamic_cast<const qt::QtStatusItem*>(delegate.statusItem.get());
  return item != nullptr ? item->trayIcon() : nullptr;
}

}  // namespace

constexpr const char* kNoDisplay =
    "Tavrine needs an X11 display: none could be opened (is DISPLAY set?).";

int main(int argc, char** argv) {
  // Keys and windows are watched through X11; on a Wayland desktop the program runs on XWayland
  // and sees only the applications there.
  const bool wayland = isWaylandSession();
  if (wayland && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");

  dbus::SessionBus bus;
  dbus::SingleInstance instance;
  const char* display = std::getenv("DISPLAY");
  if (instance.claim(bus, kAppId,
                     dbus::SingleInstance::lockPathFor("tavrine", display ? display : "")) ==
      dbus::SingleInstance::Claim::alreadyRunning) {
    tell("Tavrine is already running.");
    return 0;
  }

  // Qt aborts when it cannot open its display; say why instead. (An explicit platform such as
  // offscreen is left to Qt.)
  const QByteArray platformName = qgetenv("QT_QPA_PLATFORM");
  if ((platformName.isEmpty() || platformName == "xcb") && qEnvironmentVariableIsEmpty("DISPLAY")) {
    tell(kNoDisplay);
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(qt::QtApplication::applicationName());

  x11::X11Workspace workspace([](const x11::ArgbIcon& icon) {
    return qt::QtImage::fromArgb32(icon.width, icon.height, icon.pixels.data(), icon.pixels.size());
  });
  if (!workspace.isConnected()) {
    tell(kNoDisplay);
    return 1;
  }
  dbus::A11yBusTrust trust(
      bus,
      {[&workspace] { return workspace.rootStringProperty(kAccessibilityBusProperty).has_value(); },
       [&workspace](const std::string& address) {
         workspace.setRootStringProperty(kAccessibilityBusProperty, address);
       }});
  x11::X11KeyWatcher watcher;
  qt::QtX11EventMonitor events(watcher, trust, [&workspace] { return workspace.modifierFlags(); });
  qt::QtRunLoop runLoop;
  qt::QtApplication application;  // the program ends through Quit only, not with its last window
  // The icon even without a tray now: a panel that starts after the program (at login) takes it.
  // Installed, the theme's symbolic icon; otherwise the drawn one.
  qt::QtStatusBar statusBar(qt::TrayAvailability::always,
                            QString::fromUtf8(kAppId) + QStringLiteral("-symbolic"));
  qt::QtScreens screens([&workspace] { return workspace.frontmostWindowCentre(); });
  // Asked at every show: a compositor may start or stop while the program runs.
  x11::X11WindowEffects windowEffects;
  qt::QtX11Backdrop backdrop(windowEffects);
  qt::QtPanelPort panels(&workspace, &backdrop);
  atspi::AtspiAccessibility accessibility;

  const Platform platform{application,   runLoop,   events,  workspace, trust,
                          accessibility, statusBar, screens, panels};
  // Caps in words, Ctrl first, and the running desktop's own shortcuts after the application's.
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  const OverlayStyle style{KeyCapStyle::words,
                           xdg::desktopFromCurrentDesktop(desktop != nullptr ? desktop : "")};
  const std::shared_ptr<AppDelegate> delegate =
      AppDelegate::create(platform, TranslationHelper::shared(), style);
  statusBar.setResponderChainEnd(delegate);

  // Messages to our bus name (the name is held on this connection) are answered as they come.
  std::unique_ptr<QSocketNotifier> busNotifier;
  if (bus.fileDescriptor() >= 0) {
    busNotifier = std::make_unique<QSocketNotifier>(bus.fileDescriptor(), QSocketNotifier::Read);
    QObject::connect(busNotifier.get(), &QSocketNotifier::activated, &app,
                     [&bus, notifier = busNotifier.get()] {
                       bus.processPending();
                       // A bus that went away stays readable; watching it would spin.
                       if (!bus.isOpen()) notifier->setEnabled(false);
                     });
  }

  delegate->applicationDidFinishLaunching();

  const bool trayAtStart = QSystemTrayIcon::isSystemTrayAvailable();
  if (!trayAtStart) {
    tell(
        "Tavrine: there is no system tray, so no status icon for now (it appears when a tray "
        "starts). Holding Ctrl still shows the shortcuts.");
    if (!delegate->flagsMonitor) {
      tell(
          "Tavrine: accessibility is switched off. Holding Ctrl works once it is switched on in "
          "the desktop's accessibility settings.");
      // Without the status menu nothing else would notice the grant; this asks for nothing.
      runLoop.scheduleTimer(AppDelegate::kPermissionPollInterval, true,
                            [&trust, weak = std::weak_ptr<AppDelegate>(delegate)](Timer& timer) {
                              const std::shared_ptr<AppDelegate> self = weak.lock();
                              if (!self || self->flagsMonitor) {
                                timer.invalidate();
                                return;
                              }
                              if (trust.isProcessTrusted()) self->startGlobalMonitoring();
                            });
    }
  }
  if (wayland) {
    const char* notice =
        "Tavrine runs on XWayland in this Wayland session: holding Ctrl is only noticed in "
        "applications that run under X11 for now.";
    tell(notice);
    if (QSystemTrayIcon* tray = trayIconOf(*delegate); tray != nullptr && trayAtStart) {
      // Once the tray has taken the icon in.
      QTimer::singleShot(1000, tray, [tray, notice] {
        tray->showMessage(qt::QtApplication::applicationName(), QString::fromUtf8(notice),
                          QSystemTrayIcon::Information, 10000);
      });
    }
  }

  return QApplication::exec();
}
