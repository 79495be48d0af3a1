// SPDX-License-Identifier: MIT
#include "programs/linux/list_command.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include "backends/linux/atspi/accessibility.h"
#include "backends/linux/x11/workspace.h"
#include "backends/linux/xdg/desktop_workspace.h"
#include "i18n/translation_helper.h"
#include "overlay/grouped_shortcuts.h"
#include "overlay/overlay_view.h"
#include "programs/linux/linux_session.h"
#include "programs/linux/linux_sources.h"
#include "sources/menu_bar/menu_bar_source.h"
#include "text/unicode.h"

namespace tavrine::program {
namespace {

constexpr const char* kUsage = "usage: tavrine --list [PID | --delay SECONDS] [--json] [--zh]";

// What the menu bar's read found, when it gave no rows.
std::string menuBarState(MenuBarState state) {
  switch (state) {
    case MenuBarState::noApplication:
      return "not on the accessibility bus";
    case MenuBarState::unopened:
      return "menus empty until opened";
    case MenuBarState::noShortcuts:
      return "no shortcuts in its menus";
    case MenuBarState::unanswered:
      return "did not answer in time";
    case MenuBarState::notRead:
    case MenuBarState::noMenuBar:
    case MenuBarState::shortcuts:
      break;
  }
  return "no menu bar";
}

}  // namespace

std::variant<ListOptions, std::string> parseListArguments(const std::vector<std::string>& args) {
  ListOptions options;
  bool target = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool number = !a.empty() && a.find_first_not_of("0123456789") == std::string::npos;
    if (a == "--json") {
      options.json = true;
    } else if (a == "--zh") {
      options.zh = true;
    } else if (target && (a == "--delay" || number)) {
      return "a process id or --delay, not both: " + a;
    } else if (a == "--delay") {
      if (i + 1 == args.size()) return std::string("--delay takes seconds (0 to 600)");
      const std::string& value = args[++i];
      char* end = nullptr;
      options.delaySeconds = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' ||
          !(options.delaySeconds >= 0 && options.delaySeconds <= 600))
        return "--delay takes seconds (0 to 600): " + value;
      target = true;
    } else if (number) {
      // Linux's process ids stay below 2^22; longer numbers are no process.
      options.pid = a.size() < 10 ? static_cast<std::int32_t>(std::stol(a)) : 0;
      if (options.pid <= 0) return "not a process id: " + a;
      target = true;
    } else {
      return "unexpected argument: " + a;
    }
  }
  return options;
}

namespace {

// `text` made well-formed, with every control character written as an escape: `json` for a JSON
// string's body, otherwise for a terminal, where quotes and backslashes may stand as they are.
std::string escaped(const std::string& text, bool json) {
  std::string out;
  // Program paths and file contents may be any bytes; JSON and terminals want Unicode.
  const std::string whole = text::wellFormed(text);
  for (std::size_t i = 0; i < whole.size(); ++i) {
    const char c = whole[i];
    const auto byte = static_cast<unsigned char>(c);
    // C1 controls (U+0080 to U+009F, "\xc2\x80" to "\xc2\x9f") start escape sequences too.
    const bool c1 = !json && byte == 0xc2 && i + 1 < whole.size() &&
                    static_cast<unsigned char>(whole[i + 1]) <= 0x9f;
    if (json && (c == '"' || c == '\\')) {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || (!json && byte == 0x7f) || c1) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x",
                    c1 ? static_cast<unsigned>(static_cast<unsigned char>(whole[++i])) : byte);
      out += code;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string listedKeys(const std::vector<KeyChord>& chords) {
  std::string keys;
  for (const KeyChord& chord : chords)
    keys.append(keys.empty() ? "" : " / ").append(spokenChord(chord, KeyCapStyle::words));
  return keys;
}

std::vector<ListedRow> listedApplicationRows(const MergedShortcuts& merged,
                                             const TranslationHelper& t) {
  const DesktopBindings desktop(merged.system);
  std::vector<ListedRow> rows;
  for (const ShortcutEntry& entry : merged.application) {
    const ShortcutItem& item = entry.item;
    const ShortcutItem* binding = desktop.taking(entry);
    rows.push_back({t.translateMenu(item.menuPath()), t.translateCommand(item.title()),
                    listedKeys(entry.chords), item.source(),
                    binding ? takenByTheDesktop(*binding, t.isZH()) : std::string()});
  }
  return rows;
}

std::string listedRowText(const ListedRow& row) {
  std::string line = "  " + terminalText(row.title) + "\t" + terminalText(row.keys) + "\t" +
                     terminalText(row.source);
  if (!row.takenBy.empty()) line += "\t" + terminalText(row.takenBy);
  return line + "\n";
}

std::string listedRowJson(const ListedRow& row) {
  std::string object =
      "{\"heading\": " + jsonString(row.heading) + ", \"title\": " + jsonString(row.title) +
      ", \"keys\": " + jsonString(row.keys) + ", \"source\": " + jsonString(row.source);
  if (!row.takenBy.empty()) object += ", \"takenBy\": " + jsonString(row.takenBy);
  return object + "}";
}

std::string jsonString(const std::string& text) {
  return "\"" + escaped(text, true) + "\"";
}

std::string terminalText(const std::string& text) {
  return escaped(text, false);
}

int runListCommand(const std::vector<std::string>& args) {
  const auto parsed = parseListArguments(args);
  if (const auto* message = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "%s\n%s\n", message->c_str(), kUsage);
    return 2;
  }
  const ListOptions options = std::get<ListOptions>(parsed);
  std::error_code noProcess;
  if (options.pid != 0 &&
      !std::filesystem::exists("/proc/" + std::to_string(options.pid), noProcess)) {
    std::fprintf(stderr, "No process %d is running.\n", static_cast<int>(options.pid));
    return 2;
  }
  if (options.delaySeconds > 0)
    std::this_thread::sleep_for(std::chrono::duration<double>(options.delaySeconds));

  const x11::X11Workspace x11;
  const xdg::DesktopWorkspace desktop(x11, xdg::sessionDesktopEntries(), nullptr);
  const atspi::AtspiAccessibility accessibility;
  dbus::SessionBus bus;  // opened only where the desktop's shortcuts are read through it
  const LinuxSources sources = linuxSources(accessibility, LinuxSession::desktop(), &bus);
  // A hold never waits for the desktop entries; this short-lived command has to, once.
  constexpr std::chrono::seconds kEntriesRead(5);
  desktop.awaitEntries(kEntriesRead);
  sources.entries->awaitEntries(kEntriesRead);
  std::optional<RunningApplication> app;
  if (options.pid == 0) {
    app = desktop.frontmostApplication();
    if (!app) {
      std::fprintf(stderr, "No application is in front (is DISPLAY set?).\n");
      return 1;
    }
  } else {
    app.emplace();
    app->processIdentifier = options.pid;
    app->executable = xdg::processExecutablePath(options.pid);
    const std::string program = std::filesystem::path(*app->executable).filename().string();
    if (const auto entry = desktop.entryOf(options.pid, program)) {
      app->desktopEntryId = entry->id;
      app->localizedName = entry->name.empty() ? program : entry->name;
      if (!entry->nameZH.empty()) app->localizedNameZH = entry->nameZH;
    } else {
      app->localizedName = program;
    }
  }
  const FrontApplication front{app->processIdentifier, app->executable.value_or(""),
                               app->desktopEntryId.value_or(""), options.zh};

  const MergedShortcuts merged = mergeShortcuts(sources.all, front);
  TranslationHelper& t = TranslationHelper::shared();
  t.setIsZH(options.zh);
  const std::vector<ListedRow> rows = listedApplicationRows(merged, t);
  std::map<std::string, int> perSource;
  for (const ListedRow& row : rows)
    ++perSource[row.source];
  std::vector<ListedRow> system;
  for (const ShortcutItem& s : merged.system)
    system.push_back({options.zh && !s.menuPathZH().empty() ? s.menuPathZH() : s.menuPath(),
                      options.zh && !s.titleZH().empty() ? s.titleZH() : s.title(),
                      listedKeys({s.chord()}),
                      s.source(),
                      {}});

  // What each source found, or why it found nothing.
  const auto found = [&](const char* name, std::string none) {
    const auto n = perSource.find(name);
    return n == perSource.end() ? none : std::to_string(n->second) + " shortcuts";
  };
  const std::vector<std::pair<std::string, std::string>> status = {
      {MenuBarSource::kName, perSource.contains(MenuBarSource::kName)
                                 ? found(MenuBarSource::kName, "")
                                 : menuBarState(merged.menuBar)},
      {sources::gtk::GtkShortcutsSource::kName,
       found(sources::gtk::GtkShortcutsSource::kName, "no shortcuts window")},
      {sources::sheets::SheetSource::kName,
       found(sources::sheets::SheetSource::kName,
             "no sheet (yours would be " + sources.sheets->userSheetOf(front).string() + ")")},
  };
  const std::vector<std::string> errors = sources.sheets->errors();

  std::ostringstream out;
  const std::string name = options.zh && app->localizedNameZH
                               ? *app->localizedNameZH
                               : app->localizedName.value_or("Unknown");
  if (options.json) {
    const auto rowsJson = [&out](const std::vector<ListedRow>& list) {
      out << "[";
      for (std::size_t i = 0; i < list.size(); ++i)
        out << (i ? ",\n    " : "\n    ") << listedRowJson(list[i]);
      out << "]";
    };
    out << "{\n  \"application\": {\"name\": " << jsonString(name) << ", \"pid\": " << front.pid
        << ", \"executable\": " << jsonString(front.executable)
        << ", \"desktopEntry\": " << jsonString(front.desktopEntryId) << "},\n  \"shortcuts\": ";
    rowsJson(rows);
    out << ",\n  \"system\": ";
    rowsJson(system);
    out << ",\n  \"sources\": {";
    for (std::size_t i = 0; i < status.size(); ++i)
      out << (i ? ", " : "") << jsonString(status[i].first) << ": " << jsonString(status[i].second);
    out << "},\n  \"sheetErrors\": [";
    for (std::size_t i = 0; i < errors.size(); ++i)
      out << (i ? ", " : "") << jsonString(errors[i]);
    out << "]\n}\n";
  } else {
    // Titles come from other programs: what they hold must not reach the terminal as commands.
    const auto shown = terminalText;
    out << shown(name) << " (pid " << front.pid << ", " << shown(front.executable);
    if (!front.desktopEntryId.empty()) out << ", desktop entry " << shown(front.desktopEntryId);
    out << ")\n";
    std::string heading;
    for (const ListedRow& r : rows) {
      if (r.heading != heading) out << shown(heading = r.heading) << "\n";
      out << listedRowText(r);
    }
    if (const auto reason = emptyReason(merged))
      out << "Nothing to show: " << shown(emptyReasonText(*reason, options.zh)) << "\n";
    out << "Sources:\n";
    for (const auto& [source, state] : status)
      out << "  " << shown(source) << ": " << shown(state) << "\n";
    for (const std::string& e : errors)
      out << "  broken sheet: " << shown(e) << "\n";
  }
  std::fputs(out.str().c_str(), stdout);
  return rows.empty() ? 1 : 0;
}

}  // namespace tavrine::program
