// SPDX-License-Identifier: MIT
#include "sources/sheets/sheet_library.h"

#include <algorithm>
#include <set>

#include "model/user_folders.h"
#include "sources/foreign_file/foreign_file.h"

namespace tavrine::sources::sheets {
namespace {

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) {
             return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
           };
           return lower(x) == lower(y);
         });
}

bool matches(const Sheet& sheet, const std::vector<std::string>& names) {
  for (const auto& name : names) {
    if (name.empty()) continue;
    if (sameName(sheet.id, name)) return true;
    for (const auto& alias : sheet.aliases)
      if (sameName(alias, name)) return true;
  }
  return false;
}

// The user's groups after the shipped ones; a group of the same heading grows instead.
void addTo(Sheet& base, const Sheet& more) {
  for (const auto& group : more.groups) {
    const auto same = std::find_if(base.groups.begin(), base.groups.end(),
                                   [&](const SheetGroup& g) { return g.heading == group.heading; });
    if (same == base.groups.end())
      base.groups.push_back(group);
    else
      same->shortcuts.insert(same->shortcuts.end(), group.shortcuts.begin(), group.shortcuts.end());
  }
}

}  // namespace

SheetLibrary::SheetLibrary(std::vector<std::filesystem::path> shipped, std::filesystem::path user,
                           KeyCheck keysReadable)
    : shipped_(std::move(shipped)),
      user_(std::move(user)),
      keysReadable_(std::move(keysReadable)) {}

void SheetLibrary::refresh() {
  std::set<std::filesystem::path> seen;
  std::vector<std::filesystem::path> folders = shipped_;
  folders.push_back(user_);
  for (const auto& folder : folders) {
    std::error_code ec;
    std::size_t count = 0;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
      const auto& path = it->path();
      if (path.extension() != ".toml" || ++count > kMaxSheetsPerFolder) continue;
      std::error_code fileEc;
      const auto size = std::filesystem::file_size(path, fileEc);
      const auto time = std::filesystem::last_write_time(path, fileEc);
      if (fileEc) continue;
      const std::int64_t mtime = time.time_since_epoch().count();
      seen.insert(path);
      const auto known = files_.find(path);
      if (known != files_.end() && known->second.mtime == mtime && known->second.size == size)
        continue;
      // Read once from one descriptor: what was looked at above may have been replaced since.
      const auto text = readForeignFile(path, kMaxSheetBytes, Links::follow);
      auto parsed = text ? parseSheet(*text, path.string(), keysReadable_)
                         : std::variant<Sheet, SheetError>(SheetError{
                               path.string() + ":1: not a regular file of at most 1 MiB"});
      files_.insert_or_assign(path, Entry{mtime, size, std::move(parsed), false});
    }
  }
  std::erase_if(files_, [&](const auto& file) { return !seen.contains(file.first); });
}

const Sheet* SheetLibrary::match(const std::vector<std::filesystem::path>& folders,
                                 const std::vector<std::string>& names) const {
  for (const auto& folder : folders)
    for (const auto& [path, entry] : files_)
      if (path.parent_path() == folder)
        if (const auto* sheet = std::get_if<Sheet>(&entry.parsed); sheet && matches(*sheet, names))
          return sheet;
  return nullptr;
}

std::optional<Sheet> SheetLibrary::find(const std::vector<std::string>& names) {
  refresh();
  const Sheet* shipped = match(shipped_, names);
  // A user's sheet named as the shipped one belongs to the same application.
  std::vector<std::string> userNames = names;
  if (shipped) userNames.push_back(shipped->id);
  const Sheet* user = match({user_}, userNames);
  if (!user || user->replace)
    return user ? std::optional(*user) : shipped ? std::optional(*shipped) : std::nullopt;
  if (!shipped) return *user;
  Sheet merged = *shipped;
  addTo(merged, *user);
  return merged;
}

std::vector<std::string> SheetLibrary::errors() const {
  std::vector<std::string> out;
  for (const auto& [path, entry] : files_)
    if (const auto* error = std::get_if<SheetError>(&entry.parsed)) out.push_back(error->message);
  return out;
}

std::vector<std::string> SheetLibrary::newErrors() {
  std::vector<std::string> out;
  for (auto& [path, entry] : files_)
    if (const auto* error = std::get_if<SheetError>(&entry.parsed); error && !entry.reported) {
      entry.reported = true;
      out.push_back(error->message);
    }
  return out;
}

std::vector<std::filesystem::path> shippedSheetFolders(const char* dataDirs,
                                                       const std::filesystem::path& extra) {
  std::string_view dirs = dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share";
  std::vector<std::filesystem::path> out;
  while (true) {
    const auto colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    if (dir.starts_with('/')) {
      auto folder = std::filesystem::path(dir) / "tavrine/sheets";
      if (std::find(out.begin(), out.end(), folder) == out.end()) out.push_back(std::move(folder));
    }
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  if (!extra.empty()) out.push_back(extra);
  return out;
}

std::filesystem::path userSheetFolder(const char* xdgConfigHome, const char* home) {
  return configFile(xdgConfigHome, home, "tavrine/sheets");
}

}  // namespace tavrine::sources::sheets
