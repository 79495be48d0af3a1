// SPDX-License-Identifier: MIT
#include "sources/kxmlgui/kxmlgui.h"

#include <algorithm>
#include <array>
#include <optional>
#include <system_error>
#include <utility>

#include "sources/foreign_file/foreign_file.h"

namespace tavrine::sources::kxmlgui {
namespace {

// KStandardAction's action names and the KStandardShortcut each takes its keys from.
constexpr std::array<std::pair<std::string_view, std::string_view>, 38> kStandard{{
    {"bookmark_add", "AddBookmark"},
    {"deletefile", "DeleteFile"},
    {"edit_copy", "Copy"},
    {"edit_cut", "Cut"},
    {"edit_deselect", "Deselect"},
    {"edit_find", "Find"},
    {"edit_find_next", "FindNext"},
    {"edit_find_prev", "FindPrev"},
    {"edit_paste", "Paste"},
    {"edit_redo", "Redo"},
    {"edit_replace", "Replace"},
    {"edit_select_all", "SelectAll"},
    {"edit_undo", "Undo"},
    {"file_close", "Close"},
    {"file_new", "New"},
    {"file_open", "Open"},
    {"file_print", "Print"},
    {"file_quit", "Quit"},
    {"file_save", "Save"},
    {"file_save_as", "SaveAs"},
    {"fullscreen", "FullScreen"},
    {"go_back", "Back"},
    {"go_forward", "Forward"},
    {"go_goto_line", "GotoLine"},
    {"go_home", "Home"},
    {"go_up", "Up"},
    {"help_contents", "Help"},
    {"help_whats_this", "WhatsThis"},
    {"movetotrash", "MoveToTrash"},
    {"options_configure", "Preferences"},
    {"options_configure_keybinding", "KeyBindings"},
    {"options_show_menubar", "ShowMenubar"},
    {"renamefile", "RenameFile"},
    {"tab_next", "TabNext"},
    {"tab_prev", "TabPrev"},
    {"view_redisplay", "Reload"},
    {"view_zoom_in", "ZoomIn"},
    {"view_zoom_out", "ZoomOut"},
}};

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// "Ctrl+N; Ctrl+Shift+N" -> both; "" -> none. A lone ";" key stays a key ("Ctrl+;").
std::vector<std::string> splitKeys(std::string_view list) {
  std::vector<std::string> out;
  while (!list.empty()) {
    const auto cut = list.find("; ");
    if (const auto key = trim(list.substr(0, cut)); !key.empty()) out.emplace_back(key);
    list = cut == std::string_view::npos ? std::string_view() : list.substr(cut + 2);
  }
  return out;
}

std::string unescapeXml(std::string_view s) {
  static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities{
      {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}}};
  std::string out;
  while (!s.empty()) {
    const auto entity = std::find_if(kEntities.begin(), kEntities.end(),
                                     [&](const auto& e) { return s.starts_with(e.first); });
    if (entity != kEntities.end()) {
      out.push_back(entity->second);
      s.remove_prefix(entity->first.size());
    } else {
      out.push_back(s.front());
      s.remove_prefix(1);
    }
  }
  return out;
}

// The value of attribute `name` in the attribute text of one tag.
std::optional<std::string> attribute(std::string_view tag, std::string_view name) {
  for (std::size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
    const bool starts = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t' ||
                                   tag[at - 1] == '\n' || tag[at - 1] == '\r');
    auto rest = tag.substr(at + name.size());
    rest = rest.substr(std::min(rest.find_first_not_of(" \t\r\n"), rest.size()));
    if (!starts || !rest.starts_with('=')) continue;
    rest.remove_prefix(1);
    rest = rest.substr(std::min(rest.find_first_not_of(" \t\r\n"), rest.size()));
    if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) return std::nullopt;
    const auto close = rest.find(rest.front(), 1);
    if (close == std::string_view::npos) return std::nullopt;
    return unescapeXml(rest.substr(1, close - 1));
  }
  return std::nullopt;
}

std::optional<std::string> readText(const std::filesystem::path& file) {
  return readForeignFile(file, kMaxFileBytes, Links::follow);
}

}  // namespace

Bindings parseActionProperties(std::string_view xml) {
  Bindings out;
  if (xml.size() > kMaxFileBytes) return out;
  constexpr std::string_view kOpen = "<ActionProperties", kClose = "</ActionProperties>";
  for (auto block = xml.find(kOpen); block != std::string_view::npos;
       block = xml.find(kOpen, block + 1)) {
    auto body = xml.substr(block + kOpen.size());
    body = body.substr(0, body.find(kClose));
    for (auto tag = body.find("<Action"); tag != std::string_view::npos;
         tag = body.find("<Action", tag + 1)) {
      const auto end = body.find('>', tag);
      if (end == std::string_view::npos) break;
      const auto text = body.substr(tag + 7, end - tag - 7);
      if (text.empty() || (text.front() != ' ' && text.front() != '\t' && text.front() != '\n'))
        continue;  // <ActionList> and the like
      const auto name = attribute(text, "name");
      const auto shortcut = attribute(text, "shortcut");
      if (name && !name->empty() && shortcut) out[*name] = splitKeys(*shortcut);
    }
  }
  return out;
}

Bindings parseStandardShortcuts(std::string_view kdeglobals) {
  Bindings out;
  if (kdeglobals.size() > kMaxFileBytes) return out;
  bool inGroup = false;
  while (!kdeglobals.empty()) {
    const auto eol = kdeglobals.find('\n');
    const auto line = trim(kdeglobals.substr(0, eol));
    kdeglobals = eol == std::string_view::npos ? std::string_view() : kdeglobals.substr(eol + 1);
    if (line.starts_with('[')) {
      inGroup = line == "[Shortcuts]";
      continue;
    }
    const auto equals = line.find('=');
    if (!inGroup || equals == std::string_view::npos) continue;
    const auto key = trim(line.substr(0, equals));
    // "Quit[$e]" and localised keys are not plain bindings.
    if (key.empty() || key.find('[') != std::string_view::npos) continue;
    out[std::string(key)] = splitKeys(line.substr(equals + 1));
  }
  return out;
}

std::string_view standardShortcutOf(std::string_view action) {
  const auto it = std::lower_bound(kStandard.begin(), kStandard.end(), action,
                                   [](const auto& e, std::string_view a) { return e.first < a; });
  return it != kStandard.end() && it->first == action ? it->second : std::string_view();
}

Bindings userBindings(std::string_view program, const std::filesystem::path& dataHome,
                      const std::filesystem::path& configHome) {
  Bindings out;
  if (program.empty() || program.find('/') != std::string_view::npos || program.front() == '.')
    return out;
  if (!configHome.empty())
    if (const auto text = readText(configHome / "kdeglobals")) {
      const auto standard = parseStandardShortcuts(*text);
      for (const auto& [action, shortcut] : kStandard)
        if (const auto it = standard.find(std::string(shortcut)); it != standard.end())
          out[std::string(action)] = it->second;
    }
  if (dataHome.empty()) return out;
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(dataHome / "kxmlgui5" / std::string(program), error),
       end;
       !error && it != end && files.size() < kMaxUiFiles; it.increment(error))
    if (it->path().extension() == ".rc") files.push_back(it->path());
  std::sort(files.begin(), files.end());  // the same answer whatever order the folder lists
  for (const auto& file : files)
    if (const auto text = readText(file))
      for (auto& [action, keys] : parseActionProperties(*text))
        out[action] = std::move(keys);
  return out;
}

}  // namespace tavrine::sources::kxmlgui
