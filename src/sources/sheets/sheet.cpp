// SPDX-License-Identifier: MIT
#include "sources/sheets/sheet.h"

#include <toml++/toml.h>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

namespace tavrine::sources::sheets {
namespace {

struct Fault {
  int line;
  std::string what;
};

// "'key' rest". Built by appending: GCC 12 misreads a chain of + on strings here (-Wrestrict).
std::string about(std::string_view key, std::string_view rest) {
  std::string out = "'";
  out.append(key).append("' ").append(rest);
  return out;
}

int lineOf(const toml::node& node) {
  return static_cast<int>(node.source().begin.line);
}

void onlyKnown(const toml::table& table, std::initializer_list<std::string_view> known) {
  for (const auto& [key, value] : table) {
    bool ok = false;
    for (const auto k : known)
      ok = ok || key.str() == k;
    if (!ok) throw Fault{lineOf(value), "unknown key '" + std::string(key.str()) + "'"};
  }
}

std::string text(const toml::table& table, std::string_view key, bool required, int line) {
  const toml::node* node = table.get(key);
  if (!node) {
    if (required) throw Fault{line, "missing '" + std::string(key) + "'"};
    return {};
  }
  const auto value = node->value<std::string>();
  if (!value) throw Fault{lineOf(*node), about(key, "must be a string")};
  if (required && value->empty()) throw Fault{lineOf(*node), about(key, "is empty")};
  return *value;
}

std::vector<std::string> texts(const toml::node& node, std::string_view key) {
  const std::string wrong = about(key, "must be a string or a list of strings");
  if (const auto one = node.value<std::string>()) return {*one};
  const toml::array* list = node.as_array();
  if (!list) throw Fault{lineOf(node), wrong};
  std::vector<std::string> out;
  for (const auto& item : *list) {
    const auto value = item.value<std::string>();
    if (!value) throw Fault{lineOf(item), wrong};
    out.push_back(*value);
  }
  return out;
}

const toml::table& tableIn(const toml::node& node, std::string_view what) {
  const toml::table* table = node.as_table();
  if (!table) throw Fault{lineOf(node), std::string(what) + " must be a table"};
  return *table;
}

SheetShortcut shortcut(const toml::table& table, std::size_t& count, const KeyCheck& check) {
  if (++count > kMaxSheetShortcuts) throw Fault{lineOf(table), "too many shortcuts"};
  onlyKnown(table, {"title", "title_zh", "keys", "action"});
  SheetShortcut s;
  s.line = lineOf(table);
  s.title = text(table, "title", true, s.line);
  s.titleZh = text(table, "title_zh", false, s.line);
  s.action = text(table, "action", false, s.line);
  const toml::node* keys = table.get("keys");
  if (!keys) throw Fault{s.line, "missing 'keys'"};
  s.keys = texts(*keys, "keys");
  if (s.keys.empty()) throw Fault{lineOf(*keys), "'keys' is empty"};
  for (const auto& k : s.keys) {
    if (k.empty()) throw Fault{lineOf(*keys), "'keys' holds an empty key"};
    if (check && !check(k)) throw Fault{lineOf(*keys), "cannot read the keys \"" + k + "\""};
  }
  return s;
}

Sheet sheet(const toml::table& root, const KeyCheck& check) {
  onlyKnown(root, {"aliases", "replace", "group"});
  Sheet out;
  if (const toml::node* aliases = root.get("aliases")) out.aliases = texts(*aliases, "aliases");
  if (const toml::node* replace = root.get("replace")) {
    const auto value = replace->value<bool>();
    if (!value) throw Fault{lineOf(*replace), "'replace' must be true or false"};
    out.replace = *value;
  }
  const toml::node* groups = root.get("group");
  if (!groups) return out;
  const toml::array* list = groups->as_array();
  if (!list) throw Fault{lineOf(*groups), "'group' must be written [[group]]"};
  std::size_t count = 0;
  for (const auto& node : *list) {
    const auto& table = tableIn(node, "a group");
    onlyKnown(table, {"heading", "heading_zh", "shortcuts"});
    SheetGroup group;
    group.heading = text(table, "heading", true, lineOf(table));
    group.headingZh = text(table, "heading_zh", false, lineOf(table));
    if (const toml::node* shortcuts = table.get("shortcuts")) {
      const toml::array* items = shortcuts->as_array();
      if (!items) throw Fault{lineOf(*shortcuts), "'shortcuts' must be a list"};
      for (const auto& item : *items)
        group.shortcuts.push_back(shortcut(tableIn(item, "a shortcut"), count, check));
    }
    out.groups.push_back(std::move(group));
  }
  return out;
}

// The line of the first key of more than kMaxKeyParts dotted parts ("a.b.c" has three), or 0.
// toml++ nests a table per part, recursively, so a long enough key overflows the stack before
// it says anything; sheets need two or three parts at most. A key's parts are bare words or
// quoted strings joined by dots, on a table header's line or before an '=' (inline tables
// included); strings and comments are stepped over, so dots in them do not count.
int deepKeyLine(std::string_view text) {
  int line = 1;
  std::size_t dots = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const std::string_view quotes = text.substr(i, 3);
      const bool multiline = quotes == std::string_view(c == '"' ? "\"\"\"" : "'''");
      const std::string_view close = multiline ? quotes : text.substr(i, 1);
      std::size_t j = i + close.size();
      // A one-line string ends at its line's end at the latest.
      while (j < text.size() && text.substr(j, close.size()) != close &&
             (multiline || text[j] != '\n')) {
        if (text[j] == '\\' && c == '"') ++j;
        if (j < text.size() && text[j] == '\n') ++line;
        ++j;
      }
      // A multi-line string may end in up to two quotes of its own before its closing three.
      for (int extra = 0; multiline && extra < 2 && j + 3 < text.size() && text[j + 3] == c;
           ++extra)
        ++j;
      if (j < text.size() && text[j] == '\n') {
        i = j - 1;
      } else {
        i = std::min(text.size(), j + close.size()) - 1;
      }
      continue;
    }
    if (c == '#') {
      while (i + 1 < text.size() && text[i + 1] != '\n')
        ++i;
      continue;
    }
    if (c == '.') {
      if (++dots >= kMaxKeyParts) return line;
    } else if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == ' ' ||
                 c == '\t')) {
      dots = 0;
    }
    if (c == '\n') ++line;
  }
  return 0;
}

}  // namespace

std::variant<Sheet, SheetError> parseSheet(std::string_view text, std::string_view fileName,
                                           const KeyCheck& keysReadable) {
  const std::string name(fileName);
  const auto fail = [&](int line, const std::string& what) {
    return SheetError{name + ":" + std::to_string(line) + ": " + what};
  };
  if (text.size() > kMaxSheetBytes) return fail(1, "larger than a sheet can be");
  if (const int line = deepKeyLine(text))
    return fail(line, "a key of more than " + std::to_string(kMaxKeyParts) + " dotted parts");
  try {
    const toml::table root = toml::parse(text, name);
    Sheet out = sheet(root, keysReadable);
    out.id = std::filesystem::path(name).stem().string();
    return out;
  } catch (const toml::parse_error& e) {
    return fail(static_cast<int>(e.source().begin.line), std::string(e.description()));
  } catch (const Fault& f) {
    return fail(f.line, f.what);
  }
}

}  // namespace tavrine::sources::sheets
