// SPDX-License-Identifier: MIT
// The program on Linux: a status-bar utility that opens no window at start. It joins the Qt
// shell's ports to the X11 and session-bus backend, hands them to the application delegate and
// runs the main loop. In a Wayland session it runs on XWayland and reads other applications'
// keys and the application in front from the accessibility bus. One runs per session; a second
// start says so and ends.
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>  // complete for QtApplication's inline members
#include <QSocketNotifier>
#include <QString>
#include <QSystemTrayIcon>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "platform/linux/atspi/accessibility.h"
#include "platform/linux/atspi/listener.h"
#include "platform/linux/dbus/a11y_bus_trust.h"
#include "platform/linux/dbus/desktop_notification.h"
#include "platform/linux/dbus/session_bus.h"
#include "platform/linux/dbus/single_instance.h"
#include "platform/linux/wayland/accessible_workspace.h"
#include "platform/linux/x11/key_watcher.h"
#include "platform/linux/x11/window_effects.h"
#include "platform/linux/x11/workspace.h"
#include "platform/linux/xdg/desktop_entry.h"
#include "platform/linux/xdg/desktop_environment.h"
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

// An installed application's icon: a file, or the icon theme's by name (as written, else in
// lower case as WM_CLASS-like names are).
ImageRef iconOf(const std::string& iconName) {
  const QString name = QString::fromStdString(iconName);
  QIcon icon;
  if (name.startsWith(QLatin1Char('/'))) {
    if (QFileInfo(name).isFile()) icon = QIcon(name);
  } else {
    icon = QIcon::fromTheme(name);
    if (icon.isNull() && name != name.toLower()) icon = QIcon::fromTheme(name.toLower());
  }
  return icon.isNull() ? nullptr : std::make_shared<qt::QtImage>(icon);
}

// Without a tray the status menu cannot be reached: say so once, where the desktop shows
// notifications, with the one thing the menu would be needed for.
void tellNoTray(dbus::DesktopNotifications& notifications,
                const std::shared_ptr<AppDelegate>& delegate) {
  const dbus::NoTrayNotice notice = dbus::noTrayNotice(delegate->flagsMonitor != nullptr);
  notifications.notify(qt::QtApplication::applicationName().toStdString(), kAppId, notice.summary,
                       notice.body, notice.actions,
                       [weak = std::weak_ptr<AppDelegate>(delegate)](const std::string& key) {
                         const std::shared_ptr<AppDelegate> self = weak.lock();
                         if (self && key == "accessibility") self->requestAccessibility();
                       });
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

  x11::X11Workspace x11Workspace([](const x11::ArgbIcon& icon) {
    return qt::QtImage::fromArgb32(icon.width, icon.height, icon.pixels.data(), icon.pixels.size());
  });
  if (!x11Workspace.isConnected()) {
    tell(kNoDisplay);
    return 1;
  }
  dbus::A11yBusTrust trust(
      bus, {[&x11Workspace] {
              return x11Workspace.rootStringProperty(kAccessibilityBusProperty).has_value();
            },
            [&x11Workspace](const std::string& address) {
              x11Workspace.setRootStringProperty(kAccessibilityBusProperty, address);
            }});
  // Native Wayland applications' keys reach no X11 client, but toolkits forward them to the
  // accessibility registry; the XInput 2 watch stays for XWayland applications (and KWin hands
  // modifier keys to XWayland too).
  std::unique_ptr<atspi::AtspiListener> listener;
  std::unique_ptr<wayland::AccessibleWorkspace> accessibleWorkspace;
  if (wayland) {
    listener = std::make_unique<atspi::AtspiListener>();
    accessibleWorkspace = std::make_unique<wayland::AccessibleWorkspace>(
        *listener, x11Workspace,
        [desktopIcons = std::make_shared<xdg::DesktopIcons>(xdg::applicationFolders(
             std::getenv("XDG_DATA_HOME"), std::getenv("XDG_DATA_DIRS"), std::getenv("HOME")))](
            std::int32_t pid, const std::string& name) {
          return iconOf(desktopIcons->iconOf(pid, name));
        });
  }
  WorkspacePort& workspace =
      accessibleWorkspace ? static_cast<WorkspacePort&>(*accessibleWorkspace) : x11Workspace;
  x11::X11KeyWatcher watcher;
  qt::QtX11EventMonitor events(
      watcher, trust, [&workspace] { return workspace.modifierFlags(); }, listener.get());
  qt::QtRunLoop runLoop;
  qt::QtApplication application;  // the program ends through Quit only, not with its last window
  // The icon even without a tray now: a panel that starts after the program (at login) takes it.
  // Installed, the theme's symbolic icon; otherwise the drawn one.
  qt::QtStatusBar statusBar(qt::TrayAvailability::always,
                            QString::fromUtf8(kAppId) + QStringLiteral("-symbolic"));
  // A Wayland window does not tell where it is: the primary screen stands in.
  qt::QtScreens screens(
      [&] {
        return accessibleWorkspace ? accessibleWorkspace->frontmostWindowCentre()
                                   : x11Workspace.frontmostWindowCentre();
      },
      !wayland);
  // Asked at every show: a compositor may start or stop while the program runs.
  x11::X11WindowEffects windowEffects;
  qt::QtX11Backdrop backdrop(windowEffects);
  // On XWayland the compositor would place the panel and give it the keyboard.
  qt::QtPanelPort panels(&workspace, &backdrop, wayland);
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

  dbus::DesktopNotifications notifications(bus);
  const bool trayAtStart = QSystemTrayIcon::isSystemTrayAvailable();
  if (!trayAtStart) {
    tellNoTray(notifications, delegate);
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
    tell(
        "Tavrine: in this Wayland session keys and the application in front are read from the "
        "accessibility bus; applications that do not forward their keys there (GTK 4, some "
        "terminals) do not bring up their shortcuts.");
  }

  return QApplication::exec();
}
