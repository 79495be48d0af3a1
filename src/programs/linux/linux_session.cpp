// SPDX-License-Identifier: MIT
#include "programs/linux/linux_session.h"

#include <QFileInfo>
#include <QIcon>
#include <QProcess>
#include <QString>
#include <QSystemTrayIcon>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

#include "backends/linux/xdg/desktop_entry.h"
#include "backends/linux/xdg/desktop_environment.h"
#include "overlay/grouped_shortcuts.h"
#include "overlay/overlay_window_controller.h"
#include "shell/qt/qt_image.h"
#include "sources/system/system_shortcuts.h"

namespace tavrine::program {
namespace {

constexpr const char* kAccessibilityBusProperty = "AT_SPI_BUS";

// An installed application's icon: a file, or the icon theme's by name (as written, else in
// lower case as WM_CLASS-like names are).
ImageRef installedIcon(const std::string& iconName) {
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

// Native Wayland applications' keys reach no X11 client, but toolkits forward them to the
// accessibility registry; the XInput 2 watch stays for XWayland applications (and KWin hands
// modifier keys to XWayland too).
std::unique_ptr<atspi::AtspiListener> listenerFor(bool wayland) {
  return wayland ? std::make_unique<atspi::AtspiListener>() : nullptr;
}

// A running application's icon by its desktop entry, else the icon theme's by `name`.
std::function<ImageRef(std::int32_t, const std::string&)> desktopIcons() {
  return [icons = std::make_shared<xdg::DesktopIcons>(xdg::sessionDesktopEntries())](
             std::int32_t pid, const std::string& name) {
    return installedIcon(icons->iconOf(pid, name));
  };
}

std::unique_ptr<wayland::AccessibleWorkspace> accessibleWorkspaceOf(
    const atspi::AtspiListener* listener, const x11::X11Workspace& x11Workspace) {
  if (listener == nullptr) return nullptr;
  return std::make_unique<wayland::AccessibleWorkspace>(*listener, x11Workspace, desktopIcons());
}

// GNOME Shell hears every key and knows every window; GTK 4 applications forward nothing to the
// accessibility bus. Only where GNOME Shell is the compositor.
// On the connection that holds the program's name, which the extension serves alone.
std::unique_ptr<gnome::ShellFeed> shellFeedFor(dbus::SessionBus& bus, bool wayland) {
  return wayland && LinuxSession::desktop() == Desktop::gnome
             ? std::make_unique<gnome::ShellFeed>(bus)
             : nullptr;
}

std::unique_ptr<gnome::ShellWorkspace> shellWorkspaceOf(const gnome::ShellFeed* feed,
                                                        const WorkspacePort* other) {
  if (feed == nullptr || other == nullptr) return nullptr;
  return std::make_unique<gnome::ShellWorkspace>(*feed, *other, desktopIcons());
}

// The mark that the extension was offered, so that it is offered once.
std::filesystem::path shellExtensionMark() {
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  std::filesystem::path folder;
  if (state != nullptr && state[0] == '/') {
    folder = state;
  } else if (home != nullptr && home[0] == '/') {
    folder = std::filesystem::path(home) / ".local/state";
  } else {
    return {};
  }
  return folder / "tavrine" / "gnome-shell-extension-offered";
}

}  // namespace

void tell(const char* text) {
  std::fprintf(stderr, "%s\n", text);
}

std::unique_ptr<LinuxSession> LinuxSession::open(dbus::SessionBus& bus, bool wayland) {
  auto x11Workspace = std::make_unique<x11::X11Workspace>([](const x11::ArgbIcon& icon) {
    return qt::QtImage::fromArgb32(icon.width, icon.height, icon.pixels.data(), icon.pixels.size());
  });
  if (!x11Workspace->isConnected()) return nullptr;
  return std::unique_ptr<LinuxSession>(new LinuxSession(bus, wayland, std::move(x11Workspace)));
}

LinuxSession::LinuxSession(dbus::SessionBus& bus, bool wayland,
                           std::unique_ptr<x11::X11Workspace> x11)
    : bus_(bus),
      x11Workspace_(std::move(x11)),
      trust_(bus,
             {[this] {
                return x11Workspace_->rootStringProperty(kAccessibilityBusProperty).has_value();
              },
              [this](const std::string& address) {
                x11Workspace_->setRootStringProperty(kAccessibilityBusProperty, address);
              }}),
      listener_(listenerFor(wayland)),
      accessibleWorkspace_(accessibleWorkspaceOf(listener_.get(), *x11Workspace_)),
      shellFeed_(shellFeedFor(bus, wayland)),
      shellWorkspace_(shellWorkspaceOf(shellFeed_.get(), accessibleWorkspace_.get())),
      desktopWorkspace_(std::make_unique<xdg::DesktopWorkspace>(
          workspace(), xdg::sessionDesktopEntries(),
          [](const std::string& icon) { return installedIcon(icon); })),
      events_(watcher_, trust_, [this] { return workspace().modifierFlags(); },
              {listener_.get(), shellFeed_.get()}),
      // The program ends through Quit only, not with its last window (QtApplication). The icon
      // even without a tray now: a panel that starts after the program (at login) takes it.
      // Installed, the theme's symbolic icon; otherwise the drawn one.
      statusBar_(qt::TrayAvailability::always,
                 QString::fromUtf8(kAppId) + QStringLiteral("-symbolic")),
      // A Wayland window does not tell where it is: the primary screen stands in.
      screens_(
          [this] {
            return accessibleWorkspace_ ? accessibleWorkspace_->frontmostWindowCentre()
                                        : x11Workspace_->frontmostWindowCentre();
          },
          !wayland),
      // Asked at every show: a compositor may start or stop while the program runs.
      backdrop_(windowEffects_),
      // Override-redirect everywhere: on XWayland the compositor would place the panel and give it
      // the keyboard, and under an X11 window manager the map waits for the manager to reparent
      // it, which took the panel's first pixels from 8 to 15 ms after the hold timer.
      panels_(&backdrop_, /*bypassWindowManager=*/true),
      appearance_(bus, desktop(),
                  xdg::kdeGlobalsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")), panels_,
                  screens_),
      notifications_(bus) {
  // The look Tavrine always had, until the program hands over the user's settings.
  appearance_.apply(settings::Settings{});
}

WorkspacePort& LinuxSession::workspace() {
  if (shellWorkspace_) return *shellWorkspace_;
  return accessibleWorkspace_ ? static_cast<WorkspacePort&>(*accessibleWorkspace_) : *x11Workspace_;
}

Platform LinuxSession::platform() {
  // A Wayland compositor gives the keyboard back itself, and tells no one where it was: keys
  // typed for a row would go wherever it had put it.
  FocusPort* focus = accessibleWorkspace_ || shellWorkspace_ ? nullptr : &focus_;
  KeySenderPort* keys = focus != nullptr ? &keys_ : nullptr;
  return {application_, runLoop_,       events_,    *desktopWorkspace_,
          trust_,       accessibility_, statusBar_, screens_,
          panels_,      focus,          keys};
}

OverlayStyle LinuxSession::overlayStyle() {
  return {KeyCapStyle::words};
}

Desktop LinuxSession::desktop() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return xdg::desktopFromCurrentDesktop(desktop != nullptr ? desktop : "");
}

void LinuxSession::warmUpOverlay(TranslationHelper& t) {
  const std::optional<Rect> screen = screens_.mainScreenVisibleFrame();
  if (!screen) return;
  PanelSettings settings;
  settings.content = std::make_shared<OverlayView>(
      qt::QtApplication::applicationName().toStdString(), groupByMenu({}), t, overlayStyle(),
      SystemShortcuts::catalogue(desktop()));
  panels_.warmUp(OverlayWindowController::panelFrame(*screen, panels_.panelScale()), settings);
}

LinuxSession::~LinuxSession() {
  bus_.forget(this);
}

void LinuxSession::watchBus() {
  constexpr int kReconnectIntervalMs = 3000;
  reconnect_.setInterval(kReconnectIntervalMs);
  QObject::connect(&reconnect_, &QTimer::timeout, &reconnect_, [this] {
    if (bus_.connection() != nullptr) reconnect_.stop();
  });
  // Before a broken connection is closed its descriptor is no longer watched: the number may be
  // reused by the next file opened.
  bus_.watchConnections(this, [this](sd_bus* connection) {
    if (busNotifier_) {
      busNotifier_->setEnabled(false);
      busNotifier_.release()->deleteLater();  // this may run inside its own signal
    }
    if (connection != nullptr) watchConnection();
  });
  watchConnection();
}

void LinuxSession::watchConnection() {
  if (bus_.fileDescriptor() < 0) return;
  busNotifier_ = std::make_unique<QSocketNotifier>(bus_.fileDescriptor(), QSocketNotifier::Read);
  QObject::connect(busNotifier_.get(), &QSocketNotifier::activated, busNotifier_.get(), [this] {
    bus_.processPending();
    // A bus that went away stays readable; watching it would spin.
    if (!bus_.isOpen()) {
      busNotifier_->setEnabled(false);
      reconnect_.start();
    }
  });
}

void LinuxSession::tellWhenNoTray(const std::shared_ptr<AppDelegate>& delegate) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) return;
  const dbus::NoTrayNotice notice = dbus::noTrayNotice(delegate->globalMonitoring());
  notifications_.notify(qt::QtApplication::applicationName().toStdString(), kAppId, notice.summary,
                        notice.body, notice.actions,
                        [weak = std::weak_ptr<AppDelegate>(delegate)](const std::string& key) {
                          const std::shared_ptr<AppDelegate> self = weak.lock();
                          if (self && key == "accessibility") self->requestAccessibility();
                        });
  tell(
      "Tavrine: there is no system tray, so no status icon for now (it appears when a tray "
      "starts). Holding Ctrl still shows the shortcuts.");
  if (!delegate->globalMonitoring()) {
    tell(
        "Tavrine: accessibility is switched off. Holding Ctrl works once it is switched on in "
        "the desktop's accessibility settings.");
    delegate->awaitAccessibility();
  }
}

void LinuxSession::tellSettingsProblems(const std::vector<std::string>& problems) {
  std::string body;
  for (const std::string& problem : problems) {
    tell(("Tavrine: " + problem).c_str());
    body += (body.empty() ? "" : "\n") + problem;
  }
  notifications_.notify(qt::QtApplication::applicationName().toStdString(), kAppId,
                        "Tavrine's settings file has a problem", body, {}, nullptr);
}

void LinuxSession::offerShellExtension() {
  if (!shellFeed_) return;
  // Only when the shell was first found without it: not when the user switches it off later.
  shellFeed_->onExtensionChanged([this, before = gnome::ShellFeed::Extension::unknown](
                                     gnome::ShellFeed::Extension now) mutable {
    const bool offer = before == gnome::ShellFeed::Extension::unknown &&
                       now == gnome::ShellFeed::Extension::absent;
    before = now;
    const std::filesystem::path mark = shellExtensionMark();
    std::error_code error;
    if (!offer || mark.empty() || std::filesystem::exists(mark, error)) return;
    std::filesystem::create_directories(mark.parent_path(), error);
    std::ofstream(mark).put('\n');
    const dbus::ShellExtensionNotice notice = dbus::shellExtensionNotice(gnome::kExtensionUuid);
    notifications_.notify(qt::QtApplication::applicationName().toStdString(), kAppId,
                          notice.summary, notice.body, notice.actions, [](const std::string& key) {
                            if (key == dbus::ShellExtensionNotice::kEnable) {
                              QProcess::startDetached(QStringLiteral("gnome-extensions"),
                                                      {QStringLiteral("enable"),
                                                       QString::fromUtf8(gnome::kExtensionUuid)});
                            }
                          });
    tell(notice.body.c_str());
  });
}

}  // namespace tavrine::program
