// SPDX-License-Identifier: MIT
#include "programs/linux/linux_sources.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "backends/linux/dbus/xfconf_shortcuts.h"
#include "backends/linux/gnome/gsettings_bindings.h"
#include "backends/linux/xdg/desktop_entry.h"
#include "backends/linux/xdg/file_watch.h"
#include "model/user_folders.h"
#include "sources/desktop/global_shortcuts.h"
#include "sources/gtk_shortcuts/shortcuts_windows.h"
#include "sources/menu_bar/menu_bar_source.h"

namespace tavrine::program {
namespace {

std::filesystem::path homeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr && *home == '/' ? std::filesystem::path(home) : std::filesystem::path();
}

std::filesystem::path configHome() {
  return tavrine::configHome(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::filesystem::path dataHome() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && *data == '/') return data;
  const auto home = homeFolder();
  return home.empty() ? home : home / ".local/share";
}

// Reads the desktop's own shortcuts into `shortcuts` now and after each change the desktop tells
// of, for as long as the returned watch lives. Elsewhere the catalogue stays.
std::shared_ptr<void> followDesktop(Desktop desktop,
                                    const std::shared_ptr<DesktopShortcuts>& shortcuts,
                                    dbus::SessionBus* bus) {
  const auto update = [shortcuts](const std::vector<DesktopBinding>& bindings) {
    shortcuts->update(bindings);
  };
  switch (desktop) {
    case Desktop::gnome:
      return std::make_shared<gnome::GSettingsBindings>(update);
    case Desktop::kde: {
      const auto path = globalShortcutsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
      if (path.empty()) return nullptr;
      const auto reread = [shortcuts, path] { shortcuts->update(readGlobalShortcuts(path)); };
      reread();
      return std::make_shared<xdg::FileWatch>(path, reread);
    }
    case Desktop::xfce: {
      if (bus == nullptr) return nullptr;
      auto watch = std::make_shared<dbus::XfconfShortcuts>(*bus, update);
      if (auto bindings = watch->read()) shortcuts->update(*bindings);
      return watch;
    }
    default:
      return nullptr;
  }
}

}  // namespace

LinuxSources linuxSources(const ax::AccessibilityPort& accessibility, Desktop desktop,
                          dbus::SessionBus* bus) {
  LinuxSources out;
  // The gettext domain a GTK application's desktop entry names for its own texts.
  out.entries = std::make_shared<xdg::DesktopIcons>(xdg::sessionDesktopEntries());
  out.windows = std::make_shared<sources::gtk::GtkShortcutsSource>(
      [entries = out.entries](const FrontApplication& app) {
        const auto entry = entries->entryOf(app.pid, app.desktopEntryId);
        return entry ? entry->gettextDomain : std::string();
      });
#ifdef TAVRINE_SOURCE_SHEETS
  const std::filesystem::path sourceTree = TAVRINE_SOURCE_SHEETS;  // a program run from its build
#else
  const std::filesystem::path sourceTree;
#endif
  out.sheets = std::make_shared<sources::sheets::SheetSource>(
      sources::sheets::shippedSheetFolders(std::getenv("XDG_DATA_DIRS"), sourceTree),
      sources::sheets::userSheetFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")),
      sources::sheets::SheetSource::UserFolders{configHome(), homeFolder(), dataHome()},
      [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); });
  out.desktop = std::make_shared<DesktopShortcuts>(desktop);
  out.desktopWatch = followDesktop(desktop, out.desktop, bus);
  out.all = {
      std::make_shared<MenuBarSource>(accessibility),
      out.windows,
      out.sheets,
      out.desktop,
  };
  return out;
}

std::uint64_t processStartTime(std::int32_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text(4096, '\0');
  stat.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(stat.gcount()));
  return sources::gtk::startTime(text);
}

}  // namespace tavrine::program
