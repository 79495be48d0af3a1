// SPDX-License-Identifier: MIT
// Keys that a menu item's key equivalent names by a character with no glyph of its own: AppKit's
// function-key characters (U+F700..U+F747) and the control characters of Return, Tab, Escape and
// the like. One vocabulary for every platform: the Linux backend writes it, the key-cap text and
// the status menu's shortcuts read it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrine {

// The function keys come first, in the order of their characters (U+F700 + value).
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

// The key a command character names, if it names one: AppKit's function-key characters, the
// ASCII controls (Return, Enter, Tab, Back Tab, Escape, Backspace, Delete) with Carbon's codes for
// Home, End, Help, Page Up/Down and the arrows, and the space. `commandChar` must be exactly one
// code point.
std::optional<NamedKey> namedKey(char32_t c);
std::optional<NamedKey> namedKey(std::string_view commandChar);

// The character a key equivalent carries for `key`, UTF-8 encoded ("\xEF\x9C\x80" for the up
// arrow, "\r" for Return, " " for the space).
std::string keyEquivalentCharacter(NamedKey key);

// The key cap that shows `key`: its usual glyph ("↑", "⌫", "⇞") or a short name ("F5", "Esc",
// "Space").
std::string keyCapText(NamedKey key);

// The key a cap shows, if it shows one: the cap texts above, and "⎋", which menus also write for
// Escape.
std::optional<NamedKey> namedKeyForCap(std::string_view cap);

// Whose names a key is read out by.
enum class KeyNames {
  mac,           // "Up Arrow", "Delete" (backwards), "Forward Delete", "Return"
  desktopLinux,  // "Up", "Backspace", "Delete" (forwards)
};
// The key's name in words, for assistive technologies: "Page Up", "F5", "Escape".
std::string keyName(NamedKey key, KeyNames names);

}  // namespace tavrine
