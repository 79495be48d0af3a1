// SPDX-License-Identifier: MIT
// Keys with a name rather than a printable character: arrows, function keys, Return, Tab, Escape
// and the like. One vocabulary for every platform and every source of shortcuts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavrine {

// The keys AppKit gives function-key characters come first, in the order of those characters
// (U+F700 + value), so the command-character mapping is one addition.
enum class NamedKey : std::uint8_t {
  upArrow,
  downArrow,
  leftArrow,
  rightArrow,
  f1,  // F2..F35 follow without a name of their own
  f35 = f1 + 34,
  insert,
  forwardDelete,
  home,
  begin,
  end,
  pageUp,
  pageDown,
  printScreen,
  scrollLock,
  pause,
  sysReq,
  breakKey,
  reset,
  stop,
  menu,
  user,
  system,
  print,
  clearLine,
  clearDisplay,
  insertLine,
  deleteLine,
  insertChar,
  deleteChar,
  previous,
  next,
  select,
  execute,
  undo,
  redo,
  find,
  help,
  modeSwitch,  // the last function key, U+F747
  enter,
  returnKey,
  tab,
  backTab,
  escape,
  backspace,
  space,
};

// F1..F35 by number; none outside that range.
std::optional<NamedKey> functionKey(int number);
// 1..35 for F1..F35, else 0.
int functionKeyNumber(NamedKey key);

// The key cap that shows `key`: its usual glyph ("↑", "⌫", "⇞") or a short name ("F5", "Esc",
// "Space").
std::string keyCapText(NamedKey key);

// Whose names a key is read out by.
enum class KeyNames {
  mac,           // "Up Arrow", "Delete" (backwards), "Forward Delete", "Return"
  desktopLinux,  // "Up", "Backspace", "Delete" (forwards)
};
// The key's name in words, for assistive technologies: "Page Up", "F5", "Escape".
std::string keyName(NamedKey key, KeyNames names);

}  // namespace tavrine
