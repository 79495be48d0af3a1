// SPDX-License-Identifier: MIT
// A running application's icon from its desktop entry. A native Wayland client is known only by
// its accessible name and pid, and icon themes name many icons in reverse DNS
// (org.xfce.mousepad), so the entry that starts the process says which icon is its own.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrine::xdg {

// What the [Desktop Entry] group of an application's desktop file says about it.
struct DesktopEntry {
  std::string id;             // "org.xfce.mousepad"; a file in a subfolder is "kde-kate"
  std::string program;        // the file name of the program Exec= starts
  std::string tryExec;        // the file name of TryExec=
  std::string wmClass;        // StartupWMClass=
  std::string icon;           // a theme name or an absolute path
  std::string name;           // Name=, as written (English by convention)
  std::string nameZH;         // Name[zh_CN]=, else Name[zh]=; empty without either
  std::string gettextDomain;  // X-GNOME-Gettext-Domain=: the catalogue of its own texts
  // Hidden=true, a Type other than Application, or Terminal=true (the window in front is the
  // terminal's): never matched, and it hides the entry of the same id in later folders.
  bool ignored = false;

  bool operator==(const DesktopEntry&) const = default;
};

// The [Desktop Entry] group of a desktop file (id left empty); none without that group or when
// the file is no well-formed key file (GNOME would not start it either).
std::optional<DesktopEntry> parseDesktopEntry(std::string_view text);

// The file name of the program an Exec= value starts (after the desktop-file escapes):
// "mousepad %U" -> "mousepad", "\"/opt/My App/run\" %f" -> "run"; a leading env and its
// assignments are skipped. Empty when there is none or a quote is not closed.
std::string execProgram(std::string_view exec);

// The applications folders, most important first: $XDG_DATA_HOME (else ~/.local/share), then
// each of $XDG_DATA_DIRS (else /usr/local/share:/usr/share). Relative entries are ignored (as the
// base directory rules say) and repeated ones kept once. Null means unset.
std::vector<std::filesystem::path> applicationFolders(const char* dataHome, const char* dataDirs,
                                                      const char* home);

// Every usable entry of the folders (subfolders included), folder by folder and by id within
// one; an id seen in an earlier folder wins over later ones. Unreadable, oversized or odd files
// are skipped.
std::vector<DesktopEntry> readApplications(const std::vector<std::filesystem::path>& folders);

// The entry that starts `executable` (Exec='s program or TryExec=), preferring one whose
// StartupWMClass= or id is also `name`; else the first whose StartupWMClass= or id is `name`.
// Names compare in any ASCII case. Null for none.
const DesktopEntry* findApplication(const std::vector<DesktopEntry>& entries,
                                    std::string_view executable, std::string_view name);

// The file name of a process's executable (<proc>/<pid>/exe), else of its argv[0]; for an
// interpreter (python3.11, perl, wish...) that of the script it runs, its first argument that is
// no option. Empty when none can be read.
std::string processExecutable(std::int32_t pid, const std::filesystem::path& proc = "/proc");

// Every usable entry of the applications folders (readApplications), read on a thread of its
// own: once at the start, and again whenever a file in a folder changes (inotify, after a quiet
// moment). Nobody waits for it; until the first reading is done there are no entries. Any thread.
class DesktopEntryIndex {
 public:
  using Entries = std::shared_ptr<const std::vector<DesktopEntry>>;

  explicit DesktopEntryIndex(std::vector<std::filesystem::path> folders);
  // Stops the thread.
  ~DesktopEntryIndex();
  DesktopEntryIndex(const DesktopEntryIndex&) = delete;
  DesktopEntryIndex& operator=(const DesktopEntryIndex&) = delete;

  // The entries of the latest reading (never null).
  Entries entries() const;
  // How many readings have been done: answers drawn from an earlier one may be stale.
  std::uint64_t readings() const;
  // Waits until more than `readings` readings are done, at most `timeout`; whether they are.
  bool waitForReadingAfter(std::uint64_t readings, std::chrono::milliseconds timeout) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The index of this session's applications folders (applicationFolders of the environment): one
// for the whole process, its thread and its entries shared by every holder while any holds it.
std::shared_ptr<const DesktopEntryIndex> sessionDesktopEntries();

// Running applications' icons by their desktop entries, remembered per pid and name until the
// entries change. Never reads the folders itself: the index does, in the background.
class DesktopIcons {
 public:
  explicit DesktopIcons(std::shared_ptr<const DesktopEntryIndex> index,
                        std::filesystem::path proc = "/proc");

  // The entry's Icon= (a theme name, or an absolute path the entry gives); else `name`, for the
  // theme. Empty when `name` is a path: it is another process's to choose, and never loaded.
  std::string iconOf(std::int32_t pid, const std::string& name);
  // The entry of the process (see findApplication), or none. Never waits: before the first
  // reading is done there is none, and the caller goes on with what the window says.
  std::optional<DesktopEntry> entryOf(std::int32_t pid, const std::string& name);
  // Waits at most `timeout` for the first reading; whether it is done. For a short-lived
  // caller (tavrine --list), never for a hold.
  bool awaitEntries(std::chrono::milliseconds timeout) const;

 private:
  std::shared_ptr<const DesktopEntryIndex> index_;
  std::filesystem::path proc_;
  std::uint64_t readings_ = 0;
  std::map<std::pair<std::int32_t, std::string>, std::string> known_;
};

}  // namespace tavrine::xdg
