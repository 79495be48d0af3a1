// SPDX-License-Identifier: MIT
#include "backends/linux/xdg/desktop_entry.h"

#include <glib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include "sources/foreign_file/foreign_file.h"

namespace tavrine::xdg {
namespace fs = std::filesystem;

namespace {

// Desktop files are a few kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMaxFileSize = 1 << 20;
// Icons of applications that came and went; a long session's worth is small.
constexpr std::size_t kMaxRemembered = 256;
constexpr int kMaxFolderDepth = 8;

char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
  return !a.empty() && a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool isTrue(std::string_view value) {
  return sameName(value, "true");
}

std::string fileNameOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// One value of the [Desktop Entry] group, its escapes undone; none when absent or not UTF-8. A
// value with an unknown escape keeps it as written.
std::optional<std::string> valueOf(GKeyFile* file, const char* key, const char* locale = nullptr) {
  gchar* value =
      locale == nullptr
          ? g_key_file_get_string(file, G_KEY_FILE_DESKTOP_GROUP, key, nullptr)
          : g_key_file_get_locale_string(file, G_KEY_FILE_DESKTOP_GROUP, key, locale, nullptr);
  if (value == nullptr) return std::nullopt;
  std::string text(value);
  g_free(value);
  return text;
}

// Name[zh_CN]=, else Name[zh]=; empty when neither is there (not the untranslated Name=).
std::string chineseName(GKeyFile* file) {
  constexpr const char* kLocale = "zh_CN";
  gchar* found = g_key_file_get_locale_for_key(file, G_KEY_FILE_DESKTOP_GROUP,
                                               G_KEY_FILE_DESKTOP_KEY_NAME, kLocale);
  if (found == nullptr) return {};
  g_free(found);
  return valueOf(file, G_KEY_FILE_DESKTOP_KEY_NAME, kLocale).value_or("");
}

std::string themeIconName(std::string icon) {
  // Theme names carry no extension, but older entries give one.
  if (!icon.empty() && icon.front() != '/') {
    for (const std::string_view extension : {".png", ".svg", ".xpm"}) {
      if (icon.size() > extension.size() && icon.ends_with(extension)) {
        icon.resize(icon.size() - extension.size());
      }
    }
  }
  return icon;
}

// Without blocking: an entry swapped for a FIFO between the folder walk and the read would
// otherwise hold the index's thread. Entries may be links (alternatives, packaged symlinks).
std::optional<std::string> readSmallFile(const fs::path& file) {
  return sources::readForeignFile(file, kMaxFileSize, sources::Links::follow);
}

// One folder's entries sorted by id; an entry in a subfolder joins its folders' names with '-'.
std::vector<DesktopEntry> readFolder(const fs::path& folder) {
  std::vector<DesktopEntry> entries;
  std::error_code error;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it.depth() >= kMaxFolderDepth) it.disable_recursion_pending();
    const fs::path& file = it->path();
    std::error_code kindError;
    if (file.extension() != ".desktop" || !it->is_regular_file(kindError)) continue;
    const std::optional<std::string> text = readSmallFile(file);
    if (!text) continue;
    std::optional<DesktopEntry> entry = parseDesktopEntry(*text);
    if (!entry) continue;
    std::string id = file.lexically_relative(folder).replace_extension().generic_string();
    std::replace(id.begin(), id.end(), '/', '-');
    entry->id = std::move(id);
    entries.push_back(std::move(*entry));
  }
  std::sort(entries.begin(), entries.end(),
            [](const DesktopEntry& a, const DesktopEntry& b) { return a.id < b.id; });
  return entries;
}

}  // namespace

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text) {
  const std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> owned(g_key_file_new(),
                                                                    &g_key_file_free);
  GKeyFile* file = owned.get();
  // Every translation is kept: the Chinese name is wanted whatever the session's language.
  if (!g_key_file_load_from_data(file, text.data(), text.size(), G_KEY_FILE_KEEP_TRANSLATIONS,
                                 nullptr) ||
      !g_key_file_has_group(file, G_KEY_FILE_DESKTOP_GROUP))
    return std::nullopt;
  const auto value = [file](const char* key) { return valueOf(file, key).value_or(""); };
  DesktopEntry entry;
  entry.program = execProgram(value(G_KEY_FILE_DESKTOP_KEY_EXEC));
  entry.tryExec = fileNameOf(value(G_KEY_FILE_DESKTOP_KEY_TRY_EXEC));
  entry.wmClass = value(G_KEY_FILE_DESKTOP_KEY_STARTUP_WM_CLASS);
  entry.icon = themeIconName(value(G_KEY_FILE_DESKTOP_KEY_ICON));
  entry.name = value(G_KEY_FILE_DESKTOP_KEY_NAME);
  entry.nameZH = chineseName(file);
  entry.gettextDomain = value("X-GNOME-Gettext-Domain");
  const std::optional<std::string> type = valueOf(file, G_KEY_FILE_DESKTOP_KEY_TYPE);
  // Compared as text in any case, not g_key_file_get_boolean: some entries write "True".
  entry.ignored = isTrue(value(G_KEY_FILE_DESKTOP_KEY_HIDDEN)) ||
                  isTrue(value(G_KEY_FILE_DESKTOP_KEY_TERMINAL)) ||
                  (type && *type != G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
  return entry;
}

std::string execProgram(std::string_view exec) {
  // Quoting and escapes as the shell reads them; a field code (%f, %U...) is a word of its own
  // after the program, so it never is the program.
  gchar** argv = nullptr;
  if (!g_shell_parse_argv(std::string(exec).c_str(), nullptr, &argv, nullptr)) return {};
  const std::unique_ptr<gchar*, decltype(&g_strfreev)> owned(argv, &g_strfreev);
  gchar** word = argv;
  if (*word != nullptr && fileNameOf(*word) == "env") {
    for (++word; *word != nullptr && std::string_view(*word).find('=') != std::string_view::npos;)
      ++word;
  }
  return *word == nullptr ? std::string() : fileNameOf(*word);
}

std::vector<fs::path> applicationFolders(const char* dataHome, const char* dataDirs,
                                         const char* home) {
  std::vector<fs::path> folders;
  const auto add = [&folders](std::string_view base) {
    if (base.empty() || base.front() != '/') return;
    fs::path folder = fs::path(base).lexically_normal() / "applications";
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(std::move(folder));
    }
  };
  if (dataHome != nullptr && *dataHome != '\0') {
    add(dataHome);
  } else if (home != nullptr && *home != '\0') {
    add(std::string(home) + "/.local/share");
  }
  std::string_view dirs = dataDirs != nullptr && *dataDirs != '\0'
                              ? std::string_view(dataDirs)
                              : std::string_view("/usr/local/share/:/usr/share/");
  while (!dirs.empty()) {
    const std::size_t colon = dirs.find(':');
    add(dirs.substr(0, colon));
    dirs.remove_prefix(colon == std::string_view::npos ? dirs.size() : colon + 1);
  }
  return folders;
}

std::vector<DesktopEntry> readApplications(const std::vector<fs::path>& folders) {
  std::vector<DesktopEntry> usable;
  std::set<std::string> seen;
  for (const fs::path& folder : folders) {
    for (DesktopEntry& entry : readFolder(folder)) {
      if (!seen.insert(entry.id).second || entry.ignored) continue;
      usable.push_back(std::move(entry));
    }
  }
  return usable;
}

const DesktopEntry* findApplication(const std::vector<DesktopEntry>& entries,
                                    std::string_view executable, std::string_view name) {
  const DesktopEntry* best = nullptr;
  int bestScore = 0;
  for (const DesktopEntry& entry : entries) {
    if (entry.ignored) continue;
    const bool starts =
        !executable.empty() && (entry.program == executable || entry.tryExec == executable);
    const bool named = sameName(entry.wmClass, name) || sameName(entry.id, name);
    const int score = (starts ? 2 : 0) + (named ? 1 : 0);
    if (score > bestScore) {
      best = &entry;
      bestScore = score;
    }
  }
  return best;
}

// An interpreter's name ("python3.11", "perl", "wish8.6"): what runs a script, not the application.
bool isInterpreter(std::string_view program) {
  constexpr std::array<std::string_view, 11> kInterpreters = {
      "python", "perl", "ruby", "wish", "tclsh", "gjs", "node", "lua", "bash", "sh", "dash"};
  for (std::string_view name : kInterpreters) {
    if (!program.starts_with(name)) continue;
    const std::string_view version = program.substr(name.size());
    if (version.find_first_not_of("0123456789.") == std::string_view::npos) return true;
  }
  return false;
}

std::string processExecutable(std::int32_t pid, const fs::path& proc) {
  if (pid <= 0) return {};
  const fs::path process = proc / std::to_string(pid);
  std::error_code error;
  std::string exe = fs::read_symlink(process / "exe", error).filename().string();
  // A program replaced on disk since it started (an upgrade) is still the same program.
  constexpr std::string_view kDeleted = " (deleted)";
  if (exe.ends_with(kDeleted)) exe.resize(exe.size() - kDeleted.size());
  if (error) exe.clear();
  if (!exe.empty() && !isInterpreter(exe)) return exe;
  const std::optional<std::string> commandLine = readSmallFile(process / "cmdline");
  if (!commandLine) return exe;
  // argv[0], then the arguments, each ended by a NUL.
  std::string_view args(*commandLine);
  const auto next = [&args] {
    const std::size_t end = std::min(args.find('\0'), args.size());
    const std::string_view arg = args.substr(0, end);
    args.remove_prefix(std::min(end + 1, args.size()));
    return arg;
  };
  const std::string argv0 = fileNameOf(next());
  if (exe.empty()) exe = argv0;
  if (!isInterpreter(exe)) return exe;
  // A script's interpreter says nothing of the application: its desktop entry starts the script
  // (IDLE is python3.11 running /usr/bin/idle-python3.11). The script is the first argument that
  // is no option.
  while (!args.empty()) {
    const std::string_view arg = next();
    if (!arg.empty() && arg.front() != '-') return fileNameOf(arg);
  }
  return exe;
}

struct DesktopEntryIndex::Impl {
  std::vector<fs::path> folders;
  int inotify = -1;
  int stop = -1;
  mutable std::mutex mutex;
  mutable std::condition_variable readDone;
  Entries entries = std::make_shared<const std::vector<DesktopEntry>>();
  std::uint64_t readings = 0;
  std::thread thread;

  // Every folder and subfolder, watched again at each reading: new subfolders join, and a
  // folder that came back is watched anew.
  void watchFolders() const {
    constexpr std::uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE |
                                       IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF |
                                       IN_ONLYDIR;
    for (const fs::path& folder : folders) {
      if (inotify_add_watch(inotify, folder.c_str(), kChanges) < 0) continue;
      std::error_code error;
      fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied,
                                          error);
      for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it.depth() >= kMaxFolderDepth) it.disable_recursion_pending();
        std::error_code kindError;
        if (it->is_directory(kindError)) inotify_add_watch(inotify, it->path().c_str(), kChanges);
      }
    }
  }

  void readAll() {
    if (inotify >= 0) watchFolders();
    Entries fresh = std::make_shared<const std::vector<DesktopEntry>>(readApplications(folders));
    {
      std::lock_guard lock(mutex);
      entries = std::move(fresh);
      ++readings;
    }
    readDone.notify_all();
  }

  // Drains the inotify queue; false when told to stop.
  bool waitForChange() const {
    for (;;) {
      pollfd fds[2] = {{stop, POLLIN, 0}, {inotify, POLLIN, 0}};
      if (poll(fds, inotify >= 0 ? 2 : 1, -1) < 0) continue;
      if (fds[0].revents != 0) return false;
      alignas(inotify_event) char buffer[4096];
      if (read(inotify, buffer, sizeof buffer) > 0) return true;
    }
  }

  void run() {
    constexpr int kQuietMs = 300;  // a package installs many files at once
    readAll();
    while (waitForChange()) {
      pollfd quiet[2] = {{stop, POLLIN, 0}, {inotify, POLLIN, 0}};
      while (poll(quiet, 2, kQuietMs) > 0) {
        if (quiet[0].revents != 0) return;
        alignas(inotify_event) char buffer[4096];
        if (read(inotify, buffer, sizeof buffer) <= 0) break;
      }
      readAll();
    }
  }
};

DesktopEntryIndex::DesktopEntryIndex(std::vector<fs::path> folders)
    : impl_(std::make_unique<Impl>()) {
  impl_->folders = std::move(folders);
  impl_->inotify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  impl_->stop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (impl_->stop >= 0) {
    impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
  } else {
    impl_->readAll();  // no thread to read with: once, here
  }
}

DesktopEntryIndex::~DesktopEntryIndex() {
  if (impl_->thread.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(impl_->stop, &one, sizeof one);
    impl_->thread.join();
  }
  if (impl_->stop >= 0) close(impl_->stop);
  if (impl_->inotify >= 0) close(impl_->inotify);
}

DesktopEntryIndex::Entries DesktopEntryIndex::entries() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->entries;
}

std::uint64_t DesktopEntryIndex::readings() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->readings;
}

bool DesktopEntryIndex::waitForReadingAfter(std::uint64_t readings,
                                            std::chrono::milliseconds timeout) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->readDone.wait_for(lock, timeout, [&] { return impl_->readings > readings; });
}

DesktopIcons::DesktopIcons(std::shared_ptr<const DesktopEntryIndex> index, fs::path proc)
    : index_(std::move(index)), proc_(std::move(proc)) {}

std::shared_ptr<const DesktopEntryIndex> sessionDesktopEntries() {
  static std::mutex mutex;
  static std::weak_ptr<const DesktopEntryIndex> shared;
  const std::lock_guard lock(mutex);
  std::shared_ptr<const DesktopEntryIndex> index = shared.lock();
  if (!index) {
    index = std::make_shared<const DesktopEntryIndex>(applicationFolders(
        std::getenv("XDG_DATA_HOME"), std::getenv("XDG_DATA_DIRS"), std::getenv("HOME")));
    shared = index;
  }
  return index;
}

std::string DesktopIcons::iconOf(std::int32_t pid, const std::string& name) {
  // Answers from earlier entries are forgotten with them.
  if (const std::uint64_t readings = index_->readings(); readings != readings_) {
    known_.clear();
    readings_ = readings;
  }
  const std::pair<std::int32_t, std::string> key(pid, name);
  if (const auto known = known_.find(key); known != known_.end()) return known->second;
  const std::optional<DesktopEntry> entry = entryOf(pid, name);
  std::string icon = entry && !entry->icon.empty()         ? entry->icon
                     : name.find('/') == std::string::npos ? name
                                                           : std::string();
  if (known_.size() >= kMaxRemembered) known_.clear();
  known_.emplace(key, icon);
  return icon;
}

bool DesktopIcons::awaitEntries(std::chrono::milliseconds timeout) const {
  return index_->readings() > 0 || index_->waitForReadingAfter(0, timeout);
}

std::optional<DesktopEntry> DesktopIcons::entryOf(std::int32_t pid, const std::string& name) {
  const DesktopEntryIndex::Entries entries = index_->entries();
  const DesktopEntry* entry = findApplication(*entries, processExecutable(pid, proc_), name);
  if (entry == nullptr) return std::nullopt;
  return *entry;
}

}  // namespace tavrine::xdg
