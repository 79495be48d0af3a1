// SPDX-License-Identifier: MIT
// Sheets as a source of shortcuts: the shipped and the user's sheet of the application in front,
// with the bindings of its GTK accelerator map where the sheet names actions.
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

  // The accelerator maps are under `configHome` ($XDG_CONFIG_HOME, else ~/.config) and, GTK 2's,
  // under `home`. A broken sheet is reported once per version of its file through `report`.
  SheetSource(std::vector<std::filesystem::path> shipped, std::filesystem::path user,
              std::filesystem::path configHome, std::filesystem::path home, Report report);
  std::vector<SourcedShortcut> shortcuts(const FrontApplication& app) const override;

  // The names a sheet is found by, and the messages of the broken sheets, for `--list`.
  static std::vector<std::string> namesOf(const FrontApplication& app);
  std::vector<std::string> errors() const { return library_.errors(); }

 private:
  mutable SheetLibrary library_;
  std::filesystem::path configHome_;
  std::filesystem::path home_;
  Report report_;
};

}  // namespace tavrine::sources::sheets
