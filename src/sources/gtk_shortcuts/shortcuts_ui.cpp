// SPDX-License-Identifier: MIT
#include "sources/gtk_shortcuts/shortcuts_ui.h"

#include <glib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "sources/gtk_shortcuts/resource_bundle.h"
#include "text/unicode.h"

namespace tavrine::sources::gtk {
namespace {

constexpr std::size_t kMaxDepth = 128;
// Texts are cut as they are read, so that a huge group title is never copied into each of its
// shortcuts: titles and headings to the length every other source's titles are cut to, once the
// text is whole; what is gathered before that, enough for any accelerator list.
using text::kMaxTitleBytes;
constexpr std::size_t kMaxPropertyBytes = 4 * kMaxTitleBytes;

enum class Kind { other, group, shortcut };

struct Frame {
  std::string element;
  Kind kind = Kind::other;  // for <object>
  bool isObject = false;
};

struct Property {
  std::string name;
  UiText value;
};

struct Parser {
  UiShortcuts result;
  std::vector<Frame> stack;
  // The open groups (a group inside a group is malformed, but tolerated) and what they hold.
  struct Group {
    UiText title;
    std::vector<UiShortcut> shortcuts;
  };
  std::vector<Group> groups;
  // The shortcut being read, and its kind ("accelerator" unless said otherwise).
  std::optional<UiShortcut> shortcut;
  std::string shortcutType;
  std::optional<Property> property;  // the <property> being read, for group or shortcut
  bool full = false;

  Kind enclosingObject() const {
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
      if (it->isObject) return it->kind;
    return Kind::other;
  }
};

const char* attribute(const char** names, const char** values, const char* wanted) {
  for (; *names; ++names, ++values)
    if (std::strcmp(*names, wanted) == 0) return *values;
  return nullptr;
}

bool truthy(const char* value) {
  if (!value) return false;
  const std::string_view v(value);
  return v == "yes" || v == "true" || v == "1" || v == "y" || v == "t" || v == "TRUE" ||
         v == "True" || v == "Yes";
}

void start(GMarkupParseContext*, const char* element, const char** names, const char** values,
           gpointer data, GError** error) {
  auto& p = *static_cast<Parser*>(data);
  if (p.stack.size() >= kMaxDepth) {
    g_set_error_literal(error, G_MARKUP_ERROR, G_MARKUP_ERROR_INVALID_CONTENT, "too deep");
    return;
  }
  Frame frame{element};
  const std::string_view name(element);
  if (name == "interface" && p.stack.empty()) {
    if (const char* domain = attribute(names, values, "domain")) p.result.domain = domain;
  } else if (name == "object") {
    frame.isObject = true;
    const char* cls = attribute(names, values, "class");
    const std::string_view c = cls ? cls : "";
    if (c == "GtkShortcutsGroup") {
      frame.kind = Kind::group;
      p.groups.emplace_back();
    } else if (c == "GtkShortcutsShortcut" && !p.shortcut) {
      frame.kind = Kind::shortcut;
      p.shortcut.emplace();
      p.shortcutType.clear();
    }
  } else if (name == "property" && !p.stack.empty() && p.stack.back().isObject &&
             p.stack.back().kind != Kind::other) {
    Property prop;
    if (const char* n = attribute(names, values, "name")) prop.name = n;
    std::replace(prop.name.begin(), prop.name.end(), '_', '-');
    prop.value.translatable = truthy(attribute(names, values, "translatable"));
    // A context longer than any title cannot be cut without finding another text's translation.
    if (const char* ctx = attribute(names, values, "context")) {
      if (std::strlen(ctx) <= kMaxTitleBytes)
        prop.value.context = ctx;
      else
        prop.value.translatable = false;
    }
    p.property = std::move(prop);
  }
  p.stack.push_back(std::move(frame));
}

void text(GMarkupParseContext*, const char* chars, gsize length, gpointer data, GError**) {
  auto& p = *static_cast<Parser*>(data);
  if (p.property && !p.stack.empty() && p.stack.back().element == "property") {
    std::string& text = p.property->value.text;
    text.append(chars, std::min<std::size_t>(length, kMaxPropertyBytes - text.size()));
  }
}

std::vector<std::string> splitAccelerators(std::string_view list) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < list.size() && out.size() < kMaxAcceleratorsPerShortcut) {
    const std::size_t begin = list.find_first_not_of(" \t\r\n", at);
    if (begin == std::string_view::npos) break;
    std::size_t end = list.find_first_of(" \t\r\n", begin);
    if (end == std::string_view::npos) end = list.size();
    out.emplace_back(list.substr(begin, end - begin));
    at = end;
  }
  return out;
}

// Trimmed, and cut between characters to kMaxTitleBytes.
void trim(std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return s.clear();
  s.erase(s.find_last_not_of(" \t\r\n") + 1);
  s.erase(0, first);
  s.resize(text::clipToGraphemes(s, kMaxTitleBytes).size());
}

void add(Parser& p, UiShortcut shortcut) {
  if (p.result.shortcuts.size() >= kMaxUiShortcuts)
    p.full = true;
  else
    p.result.shortcuts.push_back(std::move(shortcut));
}

void end(GMarkupParseContext*, const char* element, gpointer data, GError**) {
  auto& p = *static_cast<Parser*>(data);
  if (p.stack.empty()) return;
  const Frame frame = std::move(p.stack.back());
  p.stack.pop_back();
  if (std::string_view(element) == "property" && p.property) {
    Property prop = std::move(*p.property);
    p.property.reset();
    const Kind owner = p.stack.empty() ? Kind::other : p.stack.back().kind;
    if (owner == Kind::group && prop.name == "title" && !p.groups.empty()) {
      p.groups.back().title = std::move(prop.value);
    } else if (owner == Kind::shortcut && p.shortcut) {
      if (prop.name == "title")
        p.shortcut->title = std::move(prop.value);
      else if (prop.name == "accelerator")
        p.shortcut->accelerators = splitAccelerators(prop.value.text);
      else if (prop.name == "shortcut-type")
        p.shortcutType = prop.value.text;
    }
    return;
  }
  if (!frame.isObject) return;
  if (frame.kind == Kind::shortcut && p.shortcut) {
    UiShortcut done = std::move(*p.shortcut);
    p.shortcut.reset();
    const bool accelerator = p.shortcutType.empty() || p.shortcutType == "accelerator" ||
                             p.shortcutType == "GTK_SHORTCUT_ACCELERATOR";
    trim(done.title.text);
    if (accelerator && !done.title.text.empty() && !done.accelerators.empty() && !p.full) {
      if (p.groups.empty())
        add(p, std::move(done));
      else
        p.groups.back().shortcuts.push_back(std::move(done));
    }
  } else if (frame.kind == Kind::group && !p.groups.empty()) {
    auto group = std::move(p.groups.back());
    p.groups.pop_back();
    trim(group.title.text);
    for (auto& s : group.shortcuts) {
      s.heading = group.title;
      add(p, std::move(s));
    }
  }
}

}  // namespace

std::optional<UiShortcuts> parseShortcutsUi(std::string_view xml) {
  if (xml.size() > kMaxUiBytes) return std::nullopt;
  Parser parser;
  const GMarkupParser callbacks{start, end, text, nullptr, nullptr};
  std::unique_ptr<GMarkupParseContext, void (*)(GMarkupParseContext*)> context(
      g_markup_parse_context_new(&callbacks, G_MARKUP_TREAT_CDATA_AS_TEXT, &parser, nullptr),
      g_markup_parse_context_free);
  if (!g_markup_parse_context_parse(context.get(), xml.data(), static_cast<gssize>(xml.size()),
                                    nullptr) ||
      !g_markup_parse_context_end_parse(context.get(), nullptr))
    return std::nullopt;
  return std::move(parser.result);
}

}  // namespace tavrine::sources::gtk
