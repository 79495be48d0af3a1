// SPDX-License-Identifier: MIT
// The program's ports in a Linux desktop session, X11 or Wayland alike: the Qt shell joined to
// the X11, session-bus and AT-SPI backend. In a Wayland session the program runs on XWayland and
// reads other applications' keys and the application in front from the accessibility bus, and on
// GNOME also from GNOME Shell through Tavrine's extension.
#pragma once

#include <QMessageBox>  // complete for QtApplication's inline members
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "backends/linux/atspi/accessibility.h"
#include "backends/linux/atspi/listener.h"
#include "backends/linux/dbus/a11y_bus_trust.h"
#include "backends/linux/dbus/desktop_notification.h"
#include "backends/linux/dbus/session_bus.h"
#include "backends/linux/gnome/shell_feed.h"
#include "backends/linux/gnome/shell_workspace.h"
#include "backends/linux/wayland/accessible_workspace.h"
#include "backends/linux/x11/focus.h"
#include "backends/linux/x11/key_sender.h"
#include "backends/linux/x11/key_watcher.h"
#include "backends/linux/x11/window_effects.h"
#include "backends/linux/x11/workspace.h"
#include "backends/linux/xdg/desktop_workspace.h"
#include "model/desktop.h"
#include "ports/platform.h"
#include "programs/linux/panel_appearance.h"
#include "programs/linux/qt_x11_backdrop.h"
#include "programs/linux/qt_x11_event_monitor.h"
#include "shell/overlay/qt_panel.h"
#include "shell/qt/qt_application.h"
#include "shell/qt/qt_run_loop.h"
#include "shell/qt/qt_screens.h"
#include "shell/qt/qt_status_bar.h"

namespace tavrine::program {

// The application id: the session-bus name, and the name of the installed desktop entry, icons
// and AppStream component.
inline constexpr const char* kAppId = "io.github.tavrine.Tavrine";

// Says `text` on stderr, where a user who started the program from a terminal sees it.
void tell(const char* text);

class LinuxSession {
 public:
  // The ports of this session, once the QApplication exists; null when the X display cannot be
  // opened. `bus` must outlive the session.
  static std::unique_ptr<LinuxSession> open(dbus::SessionBus& bus, bool wayland);
  ~LinuxSession();
  LinuxSession(const LinuxSession&) = delete;
  LinuxSession& operator=(const LinuxSession&) = delete;

  // The ports, for a delegate that the session outlives.
  Platform platform();
  // Caps in words, Ctrl first.
  static OverlayStyle overlayStyle();
  // The running desktop, whose own shortcuts follow the application's.
  static Desktop desktop();
  qt::QtStatusBar& statusBar() { return statusBar_; }
  // The pinned overlay's menu offers the Settings window through `open`.
  void setOpenSettings(std::function<void()> open) { panels_.setOpenSettings(std::move(open)); }
  // The panel's look and screen, as the settings and the desktop say; dark or light for the
  // program's other windows too.
  PanelAppearance& appearance() { return appearance_; }

  // Answers messages to our bus name (held on the session bus) as they come; when the bus goes
  // away, connects again every few seconds and watches the new connection.
  void watchBus();
  // Without a tray the status menu cannot be reached: says so once, where the desktop shows
  // notifications and on stderr, with the one thing the menu would be needed for; while trust is
  // missing, awaits it, since nothing else would notice the grant.
  void tellWhenNoTray(const std::shared_ptr<AppDelegate>& delegate);
  // Makes the overlay's first show as quick as the later ones: its window, made hidden, and the
  // fonts and glyphs it draws with, rendered once.
  void warmUpOverlay(TranslationHelper& t);
  // Problems with the user's settings file: each on stderr, and together where the desktop
  // shows notifications.
  void tellSettingsProblems(const std::vector<std::string>& problems);
  // On GNOME's Wayland session, when GNOME Shell runs without Tavrine's extension: says so once
  // ever (a mark under $XDG_STATE_HOME), with a button that enables it.
  void offerShellExtension();

 private:
  LinuxSession(dbus::SessionBus& bus, bool wayland, std::unique_ptr<x11::X11Workspace> x11);
  WorkspacePort& workspace();
  void watchConnection();

  dbus::SessionBus& bus_;
  std::unique_ptr<x11::X11Workspace> x11Workspace_;
  dbus::A11yBusTrust trust_;
  std::unique_ptr<atspi::AtspiListener> listener_;
  std::unique_ptr<wayland::AccessibleWorkspace> accessibleWorkspace_;
  std::unique_ptr<gnome::ShellFeed> shellFeed_;
  std::unique_ptr<gnome::ShellWorkspace> shellWorkspace_;
  // The application in front by its desktop entry (name, icon, program, id): what the delegate
  // and the sources see.
  std::unique_ptr<xdg::DesktopWorkspace> desktopWorkspace_;
  x11::X11KeyWatcher watcher_;
  QtX11EventMonitor events_;
  qt::QtRunLoop runLoop_;
  qt::QtApplication application_;
  qt::QtStatusBar statusBar_;
  qt::QtScreens screens_;
  x11::X11WindowEffects windowEffects_;
  QtX11Backdrop backdrop_;
  qt::QtPanelPort panels_;
  PanelAppearance appearance_;
  atspi::AtspiAccessibility accessibility_;
  x11::X11Focus focus_;
  x11::X11KeySender keys_;
  dbus::DesktopNotifications notifications_;
  std::unique_ptr<QSocketNotifier> busNotifier_;
  QTimer reconnect_;
};

}  // namespace tavrine::program
