// SPDX-License-Identifier: MIT
// Sheets as a source of shortcuts: the shipped and the user's sheet of the application in front,
// with the user's own bindings where the sheet names actions: a GTK application's accelerator
// map, a KDE application's kxmlgui files and kdeglobals.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "sources/sheets/sheet_library.h"
#include "sources/shortcut_source.h"

namespace tavrine::sources::sheets {

class SheetSource final : public ShortcutSource {
 public:
  static constexpr const char* kName = "sheet";
  using Report = std::function<void(const std::string&)>;

  // Where the user's bindings are: $XDG_CONFIG_HOME (else ~/.config), the home folder (GTK 2's
  // maps) and $XDG_DATA_HOME (else ~/.local/share; kxmlgui files). Empty: not known.
  struct UserFolders {
    std::filesystem::path configHome, home, dataHome;
  };
  // A broken sheet is reported once per version of its file through `report`.
  SheetSource(std::vector<std::filesystem::path> shipped, std::filesystem::path user,
              UserFolders folders, Report report);
  std::vector<ShortcutItem> shortcuts(const FrontApplication& app) const override;
  // Without rows, also where the user's sheet for the application would go ("~/.config/...").
  Answer answer(const FrontApplication& app) const override;
  // The user's sheet for the application: named after its desktop entry, else its program.
  std::filesystem::path userSheetOf(const FrontApplication& app) const;

  // The names a sheet is found by, and the messages of the broken sheets, for `--list`.
  static std::vector<std::string> namesOf(const FrontApplication& app);
  std::vector<std::string> errors() const { return library_.errors(); }

 private:
  mutable SheetLibrary library_;
  std::filesystem::path user_;
  UserFolders folders_;
  Report report_;
};

}  // namespace tavrine::sources::sheets
