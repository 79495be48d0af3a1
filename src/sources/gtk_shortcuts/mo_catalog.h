// SPDX-License-Identifier: MIT
// A gettext message catalogue (.mo), read by us rather than through the C library: gettext
// translates into the process's locale, while Tavrine needs another application's texts in the
// language it shows, whatever the locale, without touching process-wide state.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavrine::sources::gtk {

inline constexpr std::size_t kMaxCatalogBytes = 16u << 20;
inline constexpr std::size_t kMaxCatalogMessages = 200000;

class MoCatalog {
 public:
  // None for bytes that are not a catalogue (bad magic, tables or strings outside the data).
  static std::optional<MoCatalog> parse(std::string_view data);

  // The translation of `message` in `context` (empty for none), or null when there is none.
  const std::string* translate(std::string_view context, std::string_view message) const;

  std::size_t size() const { return messages_.size(); }

 private:
  std::unordered_map<std::string, std::string> messages_;  // "context\x04message" -> translation
};

// Where `domain`'s catalogue for `language` ("zh_CN") may lie under `root` (a process's root
// folder, "/" or "/proc/PID/root"), most specific first: the language with and without its
// territory, in the system's locale folder and under the executable's own prefix
// (/opt/app/bin/app -> /opt/app/share/locale).
std::vector<std::filesystem::path> catalogCandidates(const std::filesystem::path& root,
                                                     std::string_view domain,
                                                     std::string_view language,
                                                     const std::filesystem::path& executable);

}  // namespace tavrine::sources::gtk
