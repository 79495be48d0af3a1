// SPDX-License-Identifier: MIT
// Sheets: the shortcuts of one application, written by hand in TOML, for applications that
// publish them nowhere Tavrine can read. The file's name is the application's desktop-entry id
// ("firefox-esr.toml"); its WM_CLASS and executable are aliases:
//
//   aliases = ["firefox", "Navigator"]
//   [[group]]
//   heading = "Tabs"
//   heading_zh = "标签页"
//   shortcuts = [
//     { title = "New Tab", title_zh = "新建标签页", keys = "Ctrl+T" },
//     { title = "Reload", keys = ["F5", "Ctrl+R"] },
//   ]
//
// A user's sheet of the same name adds to the shipped one, or replaces it with `replace = true`.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavrine::sources::sheets {

struct SheetShortcut {
  std::string title;
  std::string titleZh;            // empty: the title is shown in both languages
  std::vector<std::string> keys;  // "Ctrl+Shift+T" or GTK's "<Primary><Shift>t"
  std::string action;  // the application's name for it, whose binding the user may change:
                       // a GTK accelerator-map path or a KDE action name
  int line = 0;        // where it is written, for messages

  bool operator==(const SheetShortcut&) const = default;
};

struct SheetGroup {
  std::string heading;
  std::string headingZh;
  std::vector<SheetShortcut> shortcuts;

  bool operator==(const SheetGroup&) const = default;
};

struct Sheet {
  std::string id;  // the file's name without ".toml"
  std::vector<std::string> aliases;
  bool replace = false;
  std::vector<SheetGroup> groups;

  bool operator==(const Sheet&) const = default;
};

inline constexpr std::size_t kMaxSheetBytes = 1u << 20;
inline constexpr std::size_t kMaxSheetShortcuts = 5000;
inline constexpr std::size_t kMaxKeyParts = 8;

// "firefox-esr.toml:12: ..." for the first thing wrong in a sheet.
struct SheetError {
  std::string message;
};

// Whether a key as a sheet writes it can be read; the program passes its accelerator reader.
using KeyCheck = std::function<bool(std::string_view)>;

// The sheet in `text`, read from the file named `fileName` (for the messages; its stem is the
// id). The first fault (bad TOML, a missing or misspelt key, a value of the wrong type, keys that
// `keysReadable` refuses) makes the whole sheet an error naming the file and the line.
std::variant<Sheet, SheetError> parseSheet(std::string_view text, std::string_view fileName,
                                           const KeyCheck& keysReadable = {});

}  // namespace tavrine::sources::sheets
