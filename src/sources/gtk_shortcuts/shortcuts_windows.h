// SPDX-License-Identifier: MIT
// The shortcuts a running GTK application describes in its shortcuts window, read from the files
// the process has mapped, never from its windows: the executable, its private libraries and its
// .gresource files. What a file holds is remembered by its identity (device, inode, size, mtime),
// and what a process maps by its pid and start time, so a hold after the first one reads only the
// process's start time.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "sources/foreign_file/foreign_file.h"
#include "sources/gtk_shortcuts/mo_catalog.h"
#include "sources/gtk_shortcuts/shortcuts_ui.h"

namespace tavrine::sources::gtk {

// One shortcut as written, with its heading and title in the language asked for where the
// application translates them (empty where it does not).
struct WindowShortcut {
  std::string heading;
  std::string title;
  std::vector<std::string> accelerators;  // GTK's text form
  std::string translatedHeading;
  std::string translatedTitle;

  bool operator==(const WindowShortcut&) const = default;
};

inline constexpr std::size_t kMaxMappedFiles = 4096;

// The files a process maps that may carry GResource bundles: its executable first, then shared
// objects and .gresource files in map order, each once. `maps` is the text of /proc/PID/maps.
std::vector<std::filesystem::path> bundleCandidates(std::string_view maps,
                                                    const std::filesystem::path& executable);

// The start time of a process from the text of its /proc/PID/stat (clock ticks since boot); 0 for
// text that does not have one.
std::uint64_t startTime(std::string_view stat);

// The shortcuts windows in one file: an ELF file's ".gresource.*" sections or a .gresource file,
// kMaxUiShortcuts shortcuts at most. Read afresh on every call; empty for a file that cannot be
// read or holds none.
std::vector<UiShortcuts> readBundleFile(const std::filesystem::path& file);

class ShortcutsWindows {
 public:
  explicit ShortcutsWindows(std::filesystem::path proc = "/proc");

  // The shortcuts of process `pid`'s shortcuts windows. `language` is empty or "en" for the texts
  // as written, or a gettext language ("zh_CN"); `domain` is the gettext domain the desktop entry
  // names (X-GNOME-Gettext-Domain), used where the builder file names none, before the
  // executable's name. Nothing for a process of another user or one that is gone; files not
  // reached before `deadline` are left for the next call.
  std::vector<WindowShortcut> read(std::int32_t pid, const std::string& domain,
                                   const std::string& language,
                                   std::chrono::steady_clock::time_point deadline);

 private:
  struct Process {
    std::filesystem::path executable;
    std::filesystem::path root;
    std::vector<UiShortcuts> windows;
    std::chrono::steady_clock::time_point readAt;
    bool complete = false;  // every mapped file was looked at before the deadline
  };
  using ProcessKey = std::pair<std::int32_t, std::uint64_t>;
  std::optional<Process> scan(const std::filesystem::path& process,
                              std::chrono::steady_clock::time_point deadline);
  // Null when the deadline or the budget ran out before the file was read whole.
  const std::vector<UiShortcuts>* bundleFile(const std::filesystem::path& path,
                                             const ForeignFile& file,
                                             std::chrono::steady_clock::time_point deadline,
                                             std::uint64_t& budget);
  const MoCatalog* catalog(const std::filesystem::path& root, const std::string& domain,
                           const std::string& language, const std::filesystem::path& executable);

  std::filesystem::path proc_;
  std::map<ForeignFile::Identity, std::vector<UiShortcuts>> files_;
  std::map<ProcessKey, Process> processes_;
  std::map<std::filesystem::path, std::optional<MoCatalog>> catalogs_;
};

}  // namespace tavrine::sources::gtk
