// SPDX-License-Identifier: MIT
#include "export/sheet_export.h"

#include <string_view>

#include "text/unicode.h"

namespace tavrine::exported {
namespace {

// Backslash-escapes what Markdown reads as markup inside a line (every text here follows "| " or
// "### "), and keeps a table cell on one line.
std::string escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\n' || c == '\r') {
      out += ' ';
      continue;
    }
    if (std::string_view("\\`*_[]<>|~").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

void appendTable(std::string& out, const Section& section, KeyCapStyle style) {
  out += "### " + escaped(section.heading) + "\n\n";
  out += "| | |\n|---|---|\n";
  for (const Row& row : section.rows)
    out += "| " + escaped(row.title) + " | " + escaped(joinedCaps(row, style)) + " |\n";
  out += '\n';
}

}  // namespace

Document documentOf(const OverlayView& view) {
  Document sheet;
  sheet.appName = view.appName();
  sheet.headerLabel = view.headerLabel();
  sheet.systemLabel = view.separatorLabel();
  sheet.capStyle = view.style().capStyle;
  for (const OverlayView::Group* group : view.sortedGroups()) {
    Section& section = sheet.application.emplace_back();
    section.heading = view.appHeading(group->first);
    for (const ShortcutEntry& entry : group->second) {
      const ShortcutRow row = view.appRow(entry);
      section.rows.push_back({row.title, row.keyGroups()});
    }
  }
  for (const ShortcutGroup& group : view.systemGroups()) {
    Section& section = sheet.system.emplace_back();
    section.heading = view.systemHeading(group);
    for (const ShortcutItem& item : group.items) {
      const ShortcutRow row = view.systemRow(item);
      section.rows.push_back({row.title, row.keyGroups()});
    }
  }
  return sheet;
}

std::string joinedCaps(const Row& row, KeyCapStyle style) {
  std::string out;
  for (const std::vector<std::string>& shortcut : row.keys) {
    if (!out.empty()) out += " / ";
    bool first = true;
    for (const std::string& cap : shortcut) {
      if (!first && style == KeyCapStyle::words) out += '+';
      out += cap;
      first = false;
    }
  }
  return out;
}

std::string toMarkdown(const Document& sheet) {
  std::string out = "# " + escaped(sheet.appName) + ": " + escaped(sheet.headerLabel) + "\n\n";
  for (const Section& section : sheet.application)
    appendTable(out, section, sheet.capStyle);
  if (!sheet.system.empty()) {
    out += "## " + escaped(sheet.systemLabel) + "\n\n";
    for (const Section& section : sheet.system)
      appendTable(out, section, sheet.capStyle);
  }
  return out;
}

std::string pdfFileName(std::string_view appName, bool zh) {
  // Well below the 255 bytes of a file name, with the suffix.
  constexpr std::size_t kMaxNameBytes = 200;
  const std::string whole = text::wellFormed(appName);
  std::string name(text::clipToGraphemes(whole, kMaxNameBytes));
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || byte < 0x20 || byte == 0x7f) c = '-';
  }
  name.erase(0, name.find_first_not_of(". "));
  if (!name.empty()) name += ' ';
  return name + (zh ? "快捷键.pdf" : "shortcuts.pdf");
}

}  // namespace tavrine::exported
