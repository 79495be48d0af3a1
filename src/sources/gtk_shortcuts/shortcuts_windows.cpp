// SPDX-License-Identifier: MIT
#include "sources/gtk_shortcuts/shortcuts_windows.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <set>
#include <string_view>

#include "sources/gtk_shortcuts/elf_sections.h"
#include "sources/gtk_shortcuts/resource_bundle.h"

namespace tavrine::sources::gtk {
namespace {

constexpr std::size_t kMaxMapsBytes = 8u << 20;
constexpr std::size_t kMaxRememberedFiles = 4096;
constexpr std::size_t kMaxRememberedCatalogs = 256;
constexpr std::size_t kMaxRememberedProcesses = 256;
// A process's map is read again after this long: libraries loaded later (plugins) may bring
// shortcuts windows of their own, but reading the map of a GTK 4 application (hundreds of
// mappings) costs milliseconds, too much for every hold.
constexpr std::chrono::seconds kProcessRefresh{30};

using Clock = std::chrono::steady_clock;

// What one call may read afresh: a scan that reaches it leaves the rest for the next call, which
// finds what was read remembered. One file's own bundles count to kMaxResourceSection at most.
constexpr std::uint64_t kMaxScanBytes = 256u << 20;

// Adds the shortcuts windows of `bundle` to `out`, which keeps kMaxUiShortcuts shortcuts at most.
void parseBundle(std::span<const std::byte> bundle, std::vector<UiShortcuts>& out,
                 std::size_t& kept) {
  for (const auto& ui : shortcutsUiFiles(bundle)) {
    if (kept >= kMaxUiShortcuts) return;
    auto parsed = parseShortcutsUi(ui.text);
    if (!parsed || parsed->shortcuts.empty()) continue;
    if (parsed->shortcuts.size() > kMaxUiShortcuts - kept)
      parsed->shortcuts.resize(kMaxUiShortcuts - kept);
    kept += parsed->shortcuts.size();
    out.push_back(std::move(*parsed));
  }
}

// The shortcuts windows in an open file, or none when the deadline or `budget` (bytes still to be
// read in this call) ran out before its last bundle.
std::optional<std::vector<UiShortcuts>> readBundles(const ForeignFile& file, bool bundleFile,
                                                    Clock::time_point deadline,
                                                    std::uint64_t& budget) {
  std::vector<ElfSection> sections;
  if (!bundleFile)
    sections = gresourceSections(file.size(), [&file](std::uint64_t at, std::span<std::byte> out) {
      return file.read(at, out);
    });
  else if (file.size() <= kMaxResourceSection)
    sections.push_back({{}, 0, file.size()});
  std::vector<UiShortcuts> found;
  std::size_t kept = 0;
  std::uint64_t read = 0;
  for (const auto& section : sections) {
    if (kept >= kMaxUiShortcuts || section.size > kMaxResourceSection - read) break;
    if (Clock::now() > deadline || section.size > budget) return std::nullopt;
    read += section.size;
    budget -= section.size;
    std::vector<std::byte> bytes(section.size);
    if (file.read(section.offset, bytes)) parseBundle(bytes, found, kept);
  }
  return found;
}

std::string translated(const MoCatalog* catalog, const UiText& text) {
  if (catalog && text.translatable)
    if (const std::string* t = catalog->translate(text.context, text.text)) return *t;
  return {};
}

}  // namespace

std::vector<std::filesystem::path> bundleCandidates(std::string_view maps,
                                                    const std::filesystem::path& executable) {
  std::vector<std::filesystem::path> out;
  std::set<std::string, std::less<>> seen;
  const auto add = [&](std::string_view path) {
    if (out.size() < kMaxMappedFiles && seen.emplace(path).second) out.emplace_back(path);
  };
  if (!executable.empty()) add(executable.native());
  while (!maps.empty()) {
    const auto eol = maps.find('\n');
    std::string_view line = maps.substr(0, eol);
    maps = eol == std::string_view::npos ? std::string_view() : maps.substr(eol + 1);
    // address perms offset device inode path: the path starts at the first '/' after the
    // five fields, and a file replaced since it was mapped ends in " (deleted)".
    const auto slash = line.find('/');
    if (slash == std::string_view::npos) continue;
    const std::string_view path = line.substr(slash);
    if (path.ends_with(" (deleted)")) continue;
    const std::string_view name = path.substr(path.rfind('/') + 1);
    if (name.ends_with(".gresource") || name.find(".so") != std::string_view::npos) add(path);
  }
  return out;
}

ShortcutsWindows::ShortcutsWindows(std::filesystem::path proc) : proc_(std::move(proc)) {}

const std::vector<UiShortcuts>* ShortcutsWindows::bundleFile(const std::filesystem::path& path,
                                                             const ForeignFile& file,
                                                             Clock::time_point deadline,
                                                             std::uint64_t& budget) {
  if (const auto it = files_.find(file.identity()); it != files_.end()) return &it->second;
  auto found = readBundles(file, path.extension() == ".gresource", deadline, budget);
  if (!found) return nullptr;
  if (files_.size() >= kMaxRememberedFiles) files_.clear();
  return &files_.emplace(file.identity(), std::move(*found)).first->second;
}

std::vector<UiShortcuts> readBundleFile(const std::filesystem::path& path) {
  const ForeignFile file(path, std::numeric_limits<std::uint64_t>::max());
  std::uint64_t budget = kMaxScanBytes;
  auto found =
      readBundles(file, path.extension() == ".gresource", Clock::time_point::max(), budget);
  return found ? std::move(*found) : std::vector<UiShortcuts>();
}

const MoCatalog* ShortcutsWindows::catalog(const std::filesystem::path& root,
                                           const std::string& domain, const std::string& language,
                                           const std::filesystem::path& executable) {
  for (const auto& candidate : catalogCandidates(root, domain, language, executable)) {
    auto it = catalogs_.find(candidate);
    if (it == catalogs_.end()) {
      if (catalogs_.size() >= kMaxRememberedCatalogs) catalogs_.clear();
      std::optional<MoCatalog> parsed;
      if (auto text = readForeignFile(candidate, kMaxCatalogBytes))
        parsed = MoCatalog::parse(*text);
      it = catalogs_.emplace(candidate, std::move(parsed)).first;
    }
    if (it->second) return &*it->second;
  }
  return nullptr;
}

std::optional<ShortcutsWindows::Process> ShortcutsWindows::scan(
    const std::filesystem::path& process, std::chrono::steady_clock::time_point deadline) {
  const auto maps = readForeignFile(process / "maps", kMaxMapsBytes);
  if (!maps) return std::nullopt;
  Process found;
  std::error_code ec;
  found.executable = std::filesystem::read_symlink(process / "exe", ec);
  // The files as the process sees them: through its root, which differs for a sandboxed one.
  found.root = process / "root";
  if (struct stat st{}; ::stat(found.root.c_str(), &st) != 0) found.root = "/";
  found.complete = true;
  std::uint64_t budget = kMaxScanBytes;
  std::size_t kept = 0;
  for (const auto& path : bundleCandidates(*maps, found.executable)) {
    if (Clock::now() > deadline) {
      found.complete = false;
      break;
    }
    // Opened once: the identity the content is remembered by is the file's that was read.
    const auto max = std::numeric_limits<std::uint64_t>::max();
    auto inside = found.root / path.relative_path();
    std::optional<ForeignFile> file;
    file.emplace(inside, max);
    if (!file->ok()) file.emplace(inside = path, max);
    if (!file->ok()) continue;
    const auto* windows = bundleFile(inside, *file, deadline, budget);
    if (!windows) {
      found.complete = false;
      break;
    }
    for (const auto& ui : *windows) {
      if (kept >= kMaxUiShortcuts) break;
      found.windows.push_back(ui);
      if (found.windows.back().shortcuts.size() > kMaxUiShortcuts - kept)
        found.windows.back().shortcuts.resize(kMaxUiShortcuts - kept);
      kept += found.windows.back().shortcuts.size();
    }
  }
  found.readAt = std::chrono::steady_clock::now();
  return found;
}

std::vector<WindowShortcut> ShortcutsWindows::read(std::int32_t pid, const std::string& domain,
                                                   const std::string& language,
                                                   std::chrono::steady_clock::time_point deadline) {
  const auto process = proc_ / std::to_string(pid);
  struct stat owner = {};
  if (pid <= 0 || ::stat(process.c_str(), &owner) != 0 || owner.st_uid != ::geteuid()) return {};
  // A process is known by its pid and start time, so a pid used again is a new process.
  const auto stat = readForeignFile(process / "stat", 4096);
  const ProcessKey id{pid, stat ? startTime(*stat) : 0};
  auto known = processes_.find(id);
  const auto now = std::chrono::steady_clock::now();
  if (known == processes_.end() || !known->second.complete ||
      now - known->second.readAt > kProcessRefresh) {
    auto scanned = scan(process, deadline);
    if (!scanned) return {};
    if (processes_.size() >= kMaxRememberedProcesses) processes_.clear();
    known = processes_.insert_or_assign(id, std::move(*scanned)).first;
  }
  const Process& p = known->second;
  std::vector<WindowShortcut> out;
  for (const auto& ui : p.windows) {
    const std::string& name = !ui.domain.empty() ? ui.domain
                              : !domain.empty()  ? domain
                                                 : p.executable.filename().string();
    const MoCatalog* texts = language.empty() || language.starts_with("en")
                                 ? nullptr
                                 : catalog(p.root, name, language, p.executable);
    for (const auto& s : ui.shortcuts)
      out.push_back({s.heading.text, s.title.text, s.accelerators, translated(texts, s.heading),
                     translated(texts, s.title)});
  }
  return out;
}

std::uint64_t startTime(std::string_view stat) {
  // "pid (comm) state ppid ... starttime": the name may hold anything, so count from its end.
  const auto close = stat.rfind(')');
  if (close == std::string_view::npos) return 0;
  std::string_view rest = stat.substr(close + 1);
  for (int field = 3; field <= 22; ++field) {
    const auto begin = rest.find_first_not_of(' ');
    if (begin == std::string_view::npos) return 0;
    rest.remove_prefix(begin);
    const auto end = std::min(rest.find(' '), rest.size());
    if (field == 22) {
      std::uint64_t value = 0;
      for (const char c : rest.substr(0, end)) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
      }
      return value;
    }
    rest.remove_prefix(end);
  }
  return 0;
}

}  // namespace tavrine::sources::gtk
