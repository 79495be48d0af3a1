// SPDX-License-Identifier: MIT
#include "sources/accel_map/accel_map.h"

#include <algorithm>

#include "model/user_folders.h"
#include "sources/foreign_file/foreign_file.h"

namespace tavrine::sources::accel_map {
namespace {

constexpr std::string_view kCall = "(gtk_accel_path";

void skipSpace(std::string_view& s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
}

// A Scheme string literal at the start of `s`, its escapes undone; `s` moves past it.
std::optional<std::string> literal(std::string_view& s) {
  skipSpace(s);
  if (s.empty() || s.front() != '"') return std::nullopt;
  s.remove_prefix(1);
  std::string out;
  while (!s.empty()) {
    const char c = s.front();
    s.remove_prefix(1);
    if (c == '"') return out;
    if (c == '\\') {
      if (s.empty()) return std::nullopt;
      out.push_back(s.front());
      s.remove_prefix(1);
    } else {
      out.push_back(c);
    }
  }
  return std::nullopt;
}

std::optional<AccelEntry> entry(std::string_view line) {
  skipSpace(line);
  bool changed = true;
  if (line.starts_with(';')) {
    changed = false;
    line.remove_prefix(std::min(line.find_first_not_of(';'), line.size()));
    skipSpace(line);
  }
  if (!line.starts_with(kCall)) return std::nullopt;
  line.remove_prefix(kCall.size());
  auto path = literal(line);
  auto accelerator = path ? literal(line) : std::nullopt;
  skipSpace(line);
  if (!accelerator || !line.starts_with(')') || path->empty()) return std::nullopt;
  return AccelEntry{std::move(*path), std::move(*accelerator), changed};
}

}  // namespace

std::vector<AccelEntry> parseAccelMap(std::string_view text) {
  std::vector<AccelEntry> out;
  if (text.size() > kMaxMapBytes) return out;
  while (!text.empty() && out.size() < kMaxEntries) {
    const auto eol = text.find('\n');
    if (auto e = entry(text.substr(0, eol))) out.push_back(std::move(*e));
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
  }
  return out;
}

std::string_view actionName(std::string_view path) {
  return path.substr(path.rfind('/') + 1);
}

std::vector<std::filesystem::path> mapCandidates(std::string_view program,
                                                 const char* xdgConfigHome, const char* home) {
  if (program.empty() || program.find('/') != std::string_view::npos || program.front() == '.')
    return {};
  const bool hasHome = home && *home == '/';
  const std::filesystem::path base = configHome(xdgConfigHome, home);
  std::string capital(program);
  if (capital[0] >= 'a' && capital[0] <= 'z')
    capital[0] = static_cast<char>(capital[0] - 'a' + 'A');
  std::vector<std::filesystem::path> out;
  if (!base.empty())
    for (const char* file : {"accels.scm", "accels"}) {
      out.push_back(base / capital / file);
      if (capital != program) out.push_back(base / std::string(program) / file);
    }
  if (hasHome) out.push_back(std::filesystem::path(home) / ".gnome2/accels" / std::string(program));
  return out;
}

std::optional<std::vector<AccelEntry>> readAccelMap(
    const std::vector<std::filesystem::path>& candidates) {
  for (const auto& file : candidates) {
    if (const auto text = readForeignFile(file, kMaxMapBytes, Links::follow))
      return parseAccelMap(*text);
  }
  return std::nullopt;
}

}  // namespace tavrine::sources::accel_map
