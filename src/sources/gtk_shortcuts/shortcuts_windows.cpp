// SPDX-License-Identifier: MIT
#include "sources/gtk_shortcuts/shortcuts_windows.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
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

class File {
 public:
  explicit File(const std::filesystem::path& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (fd_ >= 0) ::close(fd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool ok() const { return fd_ >= 0; }
  std::optional<struct stat> status() const {
    struct stat st = {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return st;
  }
  bool read(std::uint64_t offset, std::span<std::byte> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t n =
          ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
};

std::optional<std::string> readText(const std::filesystem::path& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > limit) return std::nullopt;
  }
  return text;
}

std::vector<UiShortcuts> parseBundle(std::span<const std::byte> bundle) {
  std::vector<UiShortcuts> out;
  for (const auto& ui : shortcutsUiFiles(bundle))
    if (auto parsed = parseShortcutsUi(ui.text); parsed && !parsed->shortcuts.empty())
      out.push_back(std::move(*parsed));
  return out;
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

const std::vector<UiShortcuts>& ShortcutsWindows::bundleFile(const std::filesystem::path& file,
                                                             const FileKey& key) {
  if (const auto it = files_.find(key); it != files_.end()) return it->second;
  if (files_.size() >= kMaxRememberedFiles) files_.clear();
  return files_.emplace(key, readBundleFile(file)).first->second;
}

std::vector<UiShortcuts> readBundleFile(const std::filesystem::path& file) {
  std::vector<UiShortcuts> found;
  const File f(file);
  const auto st = f.ok() ? f.status() : std::nullopt;
  if (!st) return found;
  const auto size = static_cast<std::uint64_t>(st->st_size);
  if (file.extension() == ".gresource") {
    if (size <= kMaxResourceSection) {
      std::vector<std::byte> bytes(size);
      if (f.read(0, bytes)) found = parseBundle(bytes);
    }
    return found;
  }
  const auto read = [&f](std::uint64_t offset, std::span<std::byte> out) {
    return f.read(offset, out);
  };
  for (const auto& section : gresourceSections(size, read)) {
    std::vector<std::byte> bytes(section.size);
    if (!f.read(section.offset, bytes)) continue;
    for (auto& ui : parseBundle(bytes))
      found.push_back(std::move(ui));
  }
  return found;
}

const MoCatalog* ShortcutsWindows::catalog(const std::filesystem::path& root,
                                           const std::string& domain, const std::string& language,
                                           const std::filesystem::path& executable) {
  for (const auto& candidate : catalogCandidates(root, domain, language, executable)) {
    auto it = catalogs_.find(candidate);
    if (it == catalogs_.end()) {
      if (catalogs_.size() >= kMaxRememberedCatalogs) catalogs_.clear();
      std::optional<MoCatalog> parsed;
      if (auto text = readText(candidate, kMaxCatalogBytes)) parsed = MoCatalog::parse(*text);
      it = catalogs_.emplace(candidate, std::move(parsed)).first;
    }
    if (it->second) return &*it->second;
  }
  return nullptr;
}

std::optional<ShortcutsWindows::Process> ShortcutsWindows::scan(
    const std::filesystem::path& process, std::chrono::steady_clock::time_point deadline) {
  const auto maps = readText(process / "maps", kMaxMapsBytes);
  if (!maps) return std::nullopt;
  Process found;
  std::error_code ec;
  found.executable = std::filesystem::read_symlink(process / "exe", ec);
  // The files as the process sees them: through its root, which differs for a sandboxed one.
  found.root = process / "root";
  if (struct stat st{}; ::stat(found.root.c_str(), &st) != 0) found.root = "/";
  found.complete = true;
  for (const auto& path : bundleCandidates(*maps, found.executable)) {
    if (std::chrono::steady_clock::now() > deadline) {
      found.complete = false;
      break;
    }
    auto inside = found.root / path.relative_path();
    struct stat st = {};
    if (::stat(inside.c_str(), &st) != 0) {
      inside = path;
      if (::stat(inside.c_str(), &st) != 0) continue;
    }
    if (!S_ISREG(st.st_mode)) continue;
    const FileKey key{st.st_dev, st.st_ino, st.st_size,
                      st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    const auto& windows = bundleFile(inside, key);
    found.windows.insert(found.windows.end(), windows.begin(), windows.end());
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
  const auto stat = readText(process / "stat", 4096);
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
