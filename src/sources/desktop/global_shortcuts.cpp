// SPDX-License-Identifier: MIT
#include "sources/desktop/global_shortcuts.h"

#include <array>
#include <string>

#include "keys/accelerator_chord.h"
#include "model/user_folders.h"
#include "sources/foreign_file/foreign_file.h"

namespace tavrine {
namespace {

// KConfig's list entry split at unescaped commas, each field unescaped (\s \t \n \r \\ \, \;).
std::vector<std::string> listFields(std::string_view value) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ',') {
      fields.emplace_back();
    } else if (c == '\\' && i + 1 < value.size()) {
      const char e = value[++i];
      fields.back() += e == 's' ? ' ' : e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

SystemHeading headingOf(std::string_view component, std::string_view action) {
  if (component == "kwin")
    return action.starts_with("Window ") || action == "Kill Window" ? SystemHeading::window
                                                                    : SystemHeading::system;
  constexpr std::array<std::string_view, 10> kSystem = {"ksmserver",
                                                        "plasmashell",
                                                        "org.kde.krunner.desktop",
                                                        "org.kde.spectacle.desktop",
                                                        "mediacontrol",
                                                        "kmix",
                                                        "org_kde_powerdevil",
                                                        "kaccess",
                                                        "KDE Keyboard Layout Switcher",
                                                        "org.kde.plasma.emojier.desktop"};
  for (const std::string_view name : kSystem)
    if (component == name) return SystemHeading::system;
  return SystemHeading::general;
}

// The first of the tab-joined chords that reads.
std::optional<KeyChord> firstChord(std::string_view current) {
  while (!current.empty()) {
    const std::size_t tab = current.find('\t');
    const std::string_view one = trimmed(current.substr(0, tab));
    if (!one.empty() && one != "none")
      if (auto chord = keys::chordOfAccelerator(one)) return chord;
    if (tab == std::string_view::npos) break;
    current.remove_prefix(tab + 1);
  }
  return std::nullopt;
}

struct Component {
  std::string id;
  std::string friendlyName;
};

}  // namespace

std::vector<DesktopBinding> parseGlobalShortcuts(std::string_view text) {
  std::vector<DesktopBinding> out;
  Component component;
  // Bindings titled by their component's name, which may come after them.
  std::vector<std::size_t> launches;
  const auto nameLaunches = [&] {
    std::string name = component.friendlyName;
    if (name.empty()) {
      name = component.id;
      if (name.ends_with(".desktop")) name.resize(name.size() - 8);
    }
    for (const std::size_t i : launches)
      if (out[i].title.empty()) out[i].title = name;
    launches.clear();
  };
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      nameLaunches();
      // The last of the nested group names: "[services][org.kde.konsole.desktop]".
      const std::size_t open = line.rfind('[');
      const std::size_t close = line.find(']', open);
      component = {std::string(line.substr(open + 1, close - open - 1)), {}};
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || component.id.empty()) continue;
    const std::string_view action = trimmed(line.substr(0, eq));
    if (action.find('[') != std::string_view::npos) continue;  // a translated entry
    const std::vector<std::string> fields = listFields(trimmed(line.substr(eq + 1)));
    if (action == "_k_friendly_name") {
      component.friendlyName = fields.front();
      continue;
    }
    const auto chord = firstChord(fields.front());
    if (!chord || out.size() >= kMaxDesktopBindings) continue;
    std::string title = fields.size() >= 3 ? std::string(trimmed(fields[2])) : std::string();
    if (title.empty() && action != "_launch") title = std::string(action);
    if (title.empty()) launches.push_back(out.size());
    out.push_back({headingOf(component.id, action), std::move(title), {}, *chord});
  }
  nameLaunches();
  return out;
}

std::filesystem::path globalShortcutsPath(const char* xdgConfigHome, const char* home) {
  return configFile(xdgConfigHome, home, "kglobalshortcutsrc");
}

std::vector<DesktopBinding> readGlobalShortcuts(const std::filesystem::path& path) {
  const auto text =
      sources::readForeignFile(path, kMaxGlobalShortcutsBytes, sources::Links::follow);
  return text ? parseGlobalShortcuts(*text) : std::vector<DesktopBinding>();
}

}  // namespace tavrine
