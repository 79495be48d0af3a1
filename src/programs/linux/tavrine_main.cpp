// SPDX-License-Identifier: MIT
// The program on Linux: a status-bar utility that opens no window at start. It opens the
// session's ports (LinuxSession), hands them to the application delegate and runs the main loop.
// One runs per session; a second start says so and ends.
#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_delegate.h"
#include "backends/linux/dbus/session_bus.h"
#include "backends/linux/dbus/single_instance.h"
#include "programs/linux/linux_session.h"
#include "programs/linux/linux_sources.h"
#include "programs/linux/list_command.h"
#include "programs/linux/settings_effects.h"
#include "programs/linux/settings_file.h"
#include "shell/qt/qt_application.h"
#include "shell/qt/resident_memory.h"
#include "shell/settings/settings_window.h"

namespace {

using namespace tavrine;

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

bool isWaylandSession() {
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return (type != nullptr && std::strcmp(type, "wayland") == 0) || isSet("WAYLAND_DISPLAY");
}

constexpr const char* kNoDisplay =
    "Tavrine needs an X11 display: none could be opened (is DISPLAY set?).";

}  // namespace

int main(int argc, char** argv) {
  qt::limitHeapRetention();
  // What Tavrine would show for an application, beside a running Tavrine.
  if (argc >= 2 && std::strcmp(argv[1], "--list") == 0)
    return program::runListCommand(std::vector<std::string>(argv + 2, argv + argc));

  // Keys and windows are watched through X11; on a Wayland desktop the program runs on XWayland
  // and sees only the applications there.
  const bool wayland = isWaylandSession();
  if (wayland && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");

  dbus::SessionBus bus;
  dbus::SingleInstance instance;
  const char* display = std::getenv("DISPLAY");
  if (instance.claim(bus, program::kAppId,
                     dbus::SingleInstance::lockPathFor("tavrine", display ? display : "")) ==
      dbus::SingleInstance::Claim::alreadyRunning) {
    program::tell("Tavrine is already running.");
    return 0;
  }

  // Qt aborts when it cannot open its display; say why instead. (An explicit platform such as
  // offscreen is left to Qt.)
  const QByteArray platformName = qgetenv("QT_QPA_PLATFORM");
  if ((platformName.isEmpty() || platformName == "xcb") && qEnvironmentVariableIsEmpty("DISPLAY")) {
    program::tell(kNoDisplay);
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(qt::QtApplication::applicationName());

  const std::unique_ptr<program::LinuxSession> session = program::LinuxSession::open(bus, wayland);
  if (!session) {
    program::tell(kNoDisplay);
    return 1;
  }
  const Platform platform = session->platform();
  const program::LinuxSources sources =
      program::linuxSources(platform.accessibility, program::LinuxSession::desktop(), &bus);
  const std::shared_ptr<AppDelegate> delegate = AppDelegate::create(
      platform, sources.all, TranslationHelper::shared(), program::LinuxSession::overlayStyle());
  delegate->setProcessStart(program::processStartTime);
  // The user's settings, before the first hold, and followed while the program runs.
  program::SettingsFile settings(
      settings::filePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")),
      [&session](const std::vector<std::string>& problems) {
        session->tellSettingsProblems(problems);
      });
  QObject settingsContext;
  program::applySettings(
      settings, delegate, TranslationHelper::shared(), settingsContext,
      program::autostartEntryPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
  // The panel's look, size and screen.
  settings.subscribe(
      [&session](const settings::Settings& current) { session->appearance().apply(current); });
  // The Settings window edits the same settings and saves them through the same file.
  qt::SettingsWindowOpener settingsWindow(
      settings.current(),
      [&settings](const settings::Settings& chosen) { return settings.save(chosen); },
      program::LinuxSession::desktop());
  settings.subscribe([&settingsWindow](const settings::Settings& current) {
    settingsWindow.settingsChanged(current);
  });
  delegate->setOpenSettings([&settingsWindow] { settingsWindow.open(); });
  session->setOpenSettings([&settingsWindow] { settingsWindow.open(); });
  session->statusBar().setResponderChainEnd(delegate);
  session->watchBus();
  // Another instance took the name while the bus was away: it serves the session now.
  instance.onLost([] {
    program::tell("Tavrine is already running.");
    QApplication::quit();
  });

  session->warmUpOverlay(TranslationHelper::shared());
  delegate->applicationDidFinishLaunching();

  session->tellWhenNoTray(delegate);
  if (wayland) {
    session->offerShellExtension();
    program::tell(
        "Tavrine: in this Wayland session keys and the application in front are read from the "
        "accessibility bus (and on GNOME from Tavrine's GNOME Shell extension); without the "
        "extension, applications that do not forward their keys there (GTK 4, some terminals) do "
        "not bring up their shortcuts.");
  }

  return QApplication::exec();
}
