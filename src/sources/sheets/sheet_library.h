// SPDX-License-Identifier: MIT
// The sheets on disk: the shipped ones and the user's, read again whenever a file changes, so a
// sheet being written shows at the next hold.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "sources/sheets/sheet.h"

namespace tavrine::sources::sheets {

inline constexpr std::size_t kMaxSheetsPerFolder = 1000;

class SheetLibrary {
 public:
  // `shipped`: the folders of the sheets that come with Tavrine, most important first; `user`:
  // the user's own ($XDG_CONFIG_HOME/tavrine/sheets). `keysReadable` checks every key.
  SheetLibrary(std::vector<std::filesystem::path> shipped, std::filesystem::path user,
               KeyCheck keysReadable = {});

  // The sheet of the application known by these names (its desktop-entry id, WM_CLASS,
  // executable; empty ones are ignored, case does not matter): the shipped sheet whose file is
  // named after one of them or that lists one as an alias, with the user's added to it or in its
  // place. Re-reads what changed on disk first.
  std::optional<Sheet> find(const std::vector<std::string>& names);

  // One message per malformed sheet, for the files as they are now.
  std::vector<std::string> errors() const;
  // The messages not handed out before: each version of a broken file is reported once.
  std::vector<std::string> newErrors();

 private:
  struct Entry {
    std::int64_t mtime = 0;
    std::uintmax_t size = 0;
    std::variant<Sheet, SheetError> parsed;
    bool reported = false;
  };
  void refresh();
  const Sheet* match(const std::vector<std::filesystem::path>& folders,
                     const std::vector<std::string>& names) const;

  std::vector<std::filesystem::path> shipped_;
  std::filesystem::path user_;
  KeyCheck keysReadable_;
  std::map<std::filesystem::path, Entry> files_;
};

// The folders of the shipped sheets, most important first: tavrine/sheets in each of
// $XDG_DATA_DIRS (else /usr/local/share and /usr/share), relative entries ignored, then `extra`
// when not empty (the source tree's, for a program run from its build folder).
std::vector<std::filesystem::path> shippedSheetFolders(const char* dataDirs,
                                                       const std::filesystem::path& extra);

// The user's sheets folder: $XDG_CONFIG_HOME/tavrine/sheets, else ~/.config/tavrine/sheets.
std::filesystem::path userSheetFolder(const char* configHome, const char* home);

}  // namespace tavrine::sources::sheets
