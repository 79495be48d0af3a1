// SPDX-License-Identifier: MIT
#include "programs/linux/settings_effects.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "backends/linux/xdg/desktop_entry.h"
#include "model/user_folders.h"
#include "programs/linux/linux_session.h"

namespace tavrine::program {
namespace {

// The first line of an autostart entry written here: what tells it from one the user made.
constexpr std::string_view kOwnMark =
    "# Written by Tavrine for its start_at_login setting, and removed when that is turned off.";

// An Exec= argument: quoted as the desktop entry rules say, then escaped as their strings are.
std::string execArgument(const std::string& path) {
  if (path.find_first_of(" \t\n\"'\\$`<>~|&;*?#()") == std::string::npos) return path;
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string out;
  for (const char c : quoted)
    out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

// The installed desktop entry's text, else one that starts this very program.
std::string autostartText() {
  const std::string name = std::string(kAppId) + ".desktop";
  for (const std::filesystem::path& folder : xdg::applicationFolders(
           std::getenv("XDG_DATA_HOME"), std::getenv("XDG_DATA_DIRS"), std::getenv("HOME"))) {
    std::ifstream in(folder / name);
    if (!in) continue;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  return "[Desktop Entry]\nType=Application\nName=Tavrine\nIcon=" + std::string(kAppId) +
         "\nExec=" + execArgument(QCoreApplication::applicationFilePath().toStdString()) +
         "\nTerminal=false\n";
}

bool isOwn(const std::filesystem::path& entry) {
  std::ifstream in(entry);
  std::string first;
  return std::getline(in, first) && first == kOwnMark;
}

}  // namespace

modifier::Flags triggerKey(settings::Trigger trigger) {
  switch (trigger) {
    case settings::Trigger::super:
      return modifier::kControl;
    case settings::Trigger::alt:
      return modifier::kAlt;
    case settings::Trigger::primary:
      break;
  }
  return modifier::kPrimary;
}

std::filesystem::path autostartEntryPath(const char* xdgConfigHome, const char* home) {
  return configFile(xdgConfigHome, home, "autostart/" + std::string(kAppId) + ".desktop");
}

void followStartAtLogin(const std::filesystem::path& entry, bool on, bool onlyOwn) {
  if (entry.empty()) return;
  std::error_code error;
  const bool there = std::filesystem::exists(entry, error);
  if (!on) {
    if (there && (!onlyOwn || isOwn(entry)) && !std::filesystem::remove(entry, error))
      tell(("Tavrine: cannot remove " + entry.string() + ": " + error.message()).c_str());
    return;
  }
  if (there) return;
  std::filesystem::create_directories(entry.parent_path(), error);
  std::ofstream out(entry);
  out << kOwnMark << '\n' << autostartText();
  if (!out.flush()) tell(("Tavrine: cannot write " + entry.string()).c_str());
}

void applySettings(SettingsFile& file, const std::shared_ptr<AppDelegate>& delegate,
                   TranslationHelper& t, QObject& context, const std::filesystem::path& autostart) {
  // At start only an entry written here goes: one the user made is theirs until they change the
  // setting while Tavrine runs.
  file.subscribe([&t, weak = std::weak_ptr<AppDelegate>(delegate), autostart,
                  before = std::optional<bool>()](const settings::Settings& s) mutable {
    if (const std::shared_ptr<AppDelegate> self = weak.lock()) {
      self->setTrigger(triggerKey(s.trigger));
      self->setHoldDuration(s.holdDelayMs / 1000.0);
    }
    const bool zh = s.language == settings::Language::chinese;
    if (t.isZH() != zh) t.setIsZH(zh);
    if (before != s.startAtLogin) followStartAtLogin(autostart, s.startAtLogin, !before);
    before = s.startAtLogin;
  });
  delegate->setNeverShowOver([&file](const RunningApplication& app) {
    const settings::Settings& s = file.current();
    return (app.desktopEntryId && s.excludes(*app.desktopEntryId)) ||
           (app.windowClass && s.excludes(*app.windowClass));
  });
  const auto save = [&file](const settings::Settings& s) {
    std::string error;
    if (!file.save(s, &error)) tell(("Tavrine: " + error).c_str());
  };
  delegate->onNeverShowOver([&file, save](const RunningApplication& app) {
    const std::optional<std::string>& name =
        app.desktopEntryId ? app.desktopEntryId : app.windowClass;
    settings::Settings s = file.current();
    if (!name || s.excludes(*name)) return;
    s.neverShowOver.push_back(*name);
    save(s);
  });
  // A language chosen in the status menu or the overlay lasts: the observer runs before the
  // change, so the file is written once it is made.
  t.subscribe([&file, &t, &context, save] {
    QTimer::singleShot(0, &context, [&file, &t, save] {
      const bool zh = file.current().language == settings::Language::chinese;
      if (t.isZH() == zh) return;
      settings::Settings s = file.current();
      s.language = t.isZH() ? settings::Language::chinese : settings::Language::english;
      save(s);
    });
  });
}

}  // namespace tavrine::program
