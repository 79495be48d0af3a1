// SPDX-License-Identifier: MIT
#include "backends/linux/atspi/replies.h"

#include <charconv>

namespace tavrine::atspi {
namespace {

void appendField(std::string& out, std::string_view field) {
  out += '\t';
  for (char c : field) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
}

void appendLine(std::string& out, std::string_view kind,
                std::initializer_list<std::string_view> fields) {
  out += kind;
  for (std::string_view f : fields)
    appendField(out, f);
  out += '\n';
}

// Splits a line on tabs and undoes the escapes; none when an escape is malformed.
std::optional<std::vector<std::string>> splitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\') {
      if (++i == line.size()) return std::nullopt;
      switch (line[i]) {
        case '\\':
          fields.back() += '\\';
          break;
        case 't':
          fields.back() += '\t';
          break;
        case 'n':
          fields.back() += '\n';
          break;
        case 'r':
          fields.back() += '\r';
          break;
        default:
          return std::nullopt;
      }
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::optional<std::uint32_t> parseRole(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::string formatReplies(const MenuReplies& r) {
  std::string out;
  if (!r.menuBar.empty()) appendLine(out, "menubar", {r.menuBar});
  for (const std::string& path : r.matches)
    appendLine(out, "match", {path});
  for (const CacheItem& item : r.cache) {
    appendLine(out, "cache", {item.path, item.parent, std::to_string(item.role), item.name});
  }
  for (const auto& [path, kids] : r.children) {
    out += "children";
    appendField(out, path);
    for (const std::string& kid : kids)
      appendField(out, kid);
    out += '\n';
  }
  for (const auto& [path, name] : r.names)
    appendLine(out, "name", {path, name});
  for (const auto& [path, role] : r.roles)
    appendLine(out, "role", {path, std::to_string(role)});
  for (const auto& [path, binding] : r.keyBindings)
    appendLine(out, "binding", {path, binding});
  return out;
}

RepliesParse parseReplies(std::string_view text) {
  MenuReplies r;
  std::size_t lineNo = 0;
  auto fail = [&](std::string_view why) {
    return RepliesParse{std::nullopt, "line " + std::to_string(lineNo) + ": " + std::string(why)};
  };
  while (!text.empty()) {
    ++lineNo;
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    const auto fields = splitFields(line);
    if (!fields) return fail("bad escape");
    const std::string& kind = (*fields)[0];
    const std::size_t n = fields->size();
    auto need = [&](std::size_t count) { return n == count; };
    if (kind == "menubar" && need(2)) {
      r.menuBar = (*fields)[1];
    } else if (kind == "match" && need(2)) {
      r.matches.push_back((*fields)[1]);
    } else if (kind == "cache" && need(5)) {
      const auto role = parseRole((*fields)[3]);
      if (!role) return fail("bad role");
      r.cache.push_back({(*fields)[1], (*fields)[2], *role, (*fields)[4]});
    } else if (kind == "children" && n >= 2) {
      r.children[(*fields)[1]].assign(fields->begin() + 2, fields->end());
    } else if (kind == "name" && need(3)) {
      r.names[(*fields)[1]] = (*fields)[2];
    } else if (kind == "role" && need(3)) {
      const auto role = parseRole((*fields)[2]);
      if (!role) return fail("bad role");
      r.roles[(*fields)[1]] = *role;
    } else if (kind == "binding" && need(3)) {
      r.keyBindings[(*fields)[1]] = (*fields)[2];
    } else {
      return fail("unknown record or wrong number of fields: " + kind);
    }
  }
  return {std::move(r), {}};
}

}  // namespace tavrine::atspi
