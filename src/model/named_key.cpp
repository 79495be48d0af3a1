// SPDX-License-Identifier: MIT
#include "model/named_key.h"

#include <array>
#include <string_view>

namespace tavrine {
namespace {

// The keys up to Mode Switch; those after the arrows and F1..F35 have a row in the tables below.
constexpr auto kLastFunctionKey = NamedKey::modeSwitch;

bool isFunctionKey(NamedKey key) {
  return key <= kLastFunctionKey;
}

constexpr std::array<std::string_view, 4> kArrowCaps = {"↑", "↓", "←", "→"};
// Insert through Mode Switch, in character order.
constexpr std::array<std::string_view, 33> kOtherFunctionKeyCaps = {
    "Ins",         "⌦",           "↖",           "Begin",       "↘",
    "⇞",           "⇟",           "PrtSc",       "ScrLk",       "Pause",
    "SysRq",       "Break",       "Reset",       "Stop",        "Menu",
    "User",        "System",      "Print",       "Clear",       "Clear Display",
    "Insert Line", "Delete Line", "Insert Char", "Delete Char", "Prev",
    "Next",        "Select",      "Execute",     "Undo",        "Redo",
    "Find",        "Help",        "Mode"};
static_assert(kOtherFunctionKeyCaps.size() == static_cast<std::size_t>(kLastFunctionKey) -
                                                  static_cast<std::size_t>(NamedKey::insert) + 1);

// Insert through Mode Switch in words, as their documentation names them.
constexpr std::array<std::string_view, 33> kOtherFunctionKeyNames = {"Insert",
                                                                     "Forward Delete",
                                                                     "Home",
                                                                     "Begin",
                                                                     "End",
                                                                     "Page Up",
                                                                     "Page Down",
                                                                     "Print Screen",
                                                                     "Scroll Lock",
                                                                     "Pause",
                                                                     "System Request",
                                                                     "Break",
                                                                     "Reset",
                                                                     "Stop",
                                                                     "Menu",
                                                                     "User",
                                                                     "System",
                                                                     "Print",
                                                                     "Clear",
                                                                     "Clear Display",
                                                                     "Insert Line",
                                                                     "Delete Line",
                                                                     "Insert Character",
                                                                     "Delete Character",
                                                                     "Previous",
                                                                     "Next",
                                                                     "Select",
                                                                     "Execute",
                                                                     "Undo",
                                                                     "Redo",
                                                                     "Find",
                                                                     "Help",
                                                                     "Mode Switch"};
static_assert(kOtherFunctionKeyNames.size() == kOtherFunctionKeyCaps.size());

}  // namespace

std::optional<NamedKey> functionKey(int number) {
  if (number < 1 || number > 35) return std::nullopt;
  return static_cast<NamedKey>(static_cast<int>(NamedKey::f1) + number - 1);
}

int functionKeyNumber(NamedKey key) {
  if (key < NamedKey::f1 || key > NamedKey::f35) return 0;
  return static_cast<int>(key) - static_cast<int>(NamedKey::f1) + 1;
}

std::string keyCapText(NamedKey key) {
  if (key < NamedKey::f1) return std::string(kArrowCaps[static_cast<std::size_t>(key)]);
  // Appended rather than "F" + text: GCC 12 at -O2 sees a false overlap there (-Wrestrict).
  if (const int n = functionKeyNumber(key)) return std::string("F").append(std::to_string(n));
  if (isFunctionKey(key)) {
    return std::string(kOtherFunctionKeyCaps[static_cast<std::size_t>(key) -
                                             static_cast<std::size_t>(NamedKey::insert)]);
  }
  switch (key) {
    case NamedKey::enter:
      return "⌤";
    case NamedKey::returnKey:
      return "↩";
    case NamedKey::tab:
      return "⇥";
    case NamedKey::backTab:
      return "⇤";
    case NamedKey::escape:
      return "Esc";  // as the system catalogue writes it
    case NamedKey::backspace:
      return "⌫";
    default:
      return "Space";
  }
}

std::string keyName(NamedKey key, KeyNames names) {
  const bool mac = names == KeyNames::mac;
  if (key < NamedKey::f1) {
    constexpr std::array<std::string_view, 4> kArrows = {"Up", "Down", "Left", "Right"};
    std::string name(kArrows[static_cast<std::size_t>(key)]);
    return mac ? name.append(" Arrow") : name;
  }
  if (functionKeyNumber(key) != 0) return keyCapText(key);
  if (key == NamedKey::forwardDelete && !mac) return "Delete";
  if (isFunctionKey(key)) {
    return std::string(kOtherFunctionKeyNames[static_cast<std::size_t>(key) -
                                              static_cast<std::size_t>(NamedKey::insert)]);
  }
  switch (key) {
    case NamedKey::enter:
      return "Enter";
    case NamedKey::returnKey:
      return "Return";
    case NamedKey::tab:
      return "Tab";
    case NamedKey::backTab:
      return "Back Tab";
    case NamedKey::escape:
      return "Escape";
    case NamedKey::backspace:
      return mac ? "Delete" : "Backspace";
    default:
      return "Space";
  }
}

}  // namespace tavrine
