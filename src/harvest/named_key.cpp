// SPDX-License-Identifier: MIT
#include "harvest/named_key.h"

#include <array>

#include "text/unicode.h"

namespace tavrine {
namespace {

constexpr char32_t kFirstFunctionKey = 0xF700;  // AppKit's NSUpArrowFunctionKey
constexpr auto kLastFunctionKey = NamedKey::modeSwitch;

static_assert(static_cast<int>(NamedKey::f1) == 0xF704 - kFirstFunctionKey);
static_assert(static_cast<int>(NamedKey::f35) == 0xF726 - kFirstFunctionKey);
static_assert(static_cast<int>(NamedKey::forwardDelete) == 0xF728 - kFirstFunctionKey);
static_assert(static_cast<int>(NamedKey::menu) == 0xF735 - kFirstFunctionKey);
static_assert(static_cast<int>(NamedKey::help) == 0xF746 - kFirstFunctionKey);
static_assert(static_cast<int>(kLastFunctionKey) == 0xF747 - kFirstFunctionKey);

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

std::optional<NamedKey> namedKey(char32_t c) {
  if (c >= kFirstFunctionKey && c <= kFirstFunctionKey + static_cast<char32_t>(kLastFunctionKey))
    return static_cast<NamedKey>(c - kFirstFunctionKey);
  switch (c) {
    case 0x01:  // Carbon's Home
      return NamedKey::home;
    case 0x03:
      return NamedKey::enter;
    case 0x04:  // Carbon's End
      return NamedKey::end;
    case 0x05:  // Carbon's Help
      return NamedKey::help;
    case 0x08:
    case 0x7F:  // the key macOS labels Delete, which deletes backwards
      return NamedKey::backspace;
    case 0x09:
      return NamedKey::tab;
    case 0x0A:
    case 0x0D:
      return NamedKey::returnKey;
    case 0x0B:  // Carbon's Page Up
      return NamedKey::pageUp;
    case 0x0C:  // Carbon's Page Down
      return NamedKey::pageDown;
    case 0x19:
      return NamedKey::backTab;
    case 0x1B:
      return NamedKey::escape;
    case 0x1C:  // Carbon's arrows: left, right, up, down
      return NamedKey::leftArrow;
    case 0x1D:
      return NamedKey::rightArrow;
    case 0x1E:
      return NamedKey::upArrow;
    case 0x1F:
      return NamedKey::downArrow;
    case U' ':
      return NamedKey::space;
    default:
      return std::nullopt;
  }
}

std::optional<NamedKey> namedKey(std::string_view commandChar) {
  const std::optional<char32_t> c = text::singleCodePoint(commandChar);
  return c ? namedKey(*c) : std::nullopt;
}

std::string keyEquivalentCharacter(NamedKey key) {
  if (isFunctionKey(key)) return text::toUtf8(kFirstFunctionKey + static_cast<char32_t>(key));
  switch (key) {
    case NamedKey::enter:
      return "\x03";
    case NamedKey::returnKey:
      return "\r";
    case NamedKey::tab:
      return "\t";
    case NamedKey::backTab:
      return "\x19";
    case NamedKey::escape:
      return "\x1b";
    case NamedKey::backspace:
      return "\x08";
    default:
      return " ";
  }
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

std::optional<NamedKey> namedKeyForCap(std::string_view cap) {
  if (cap == "⎋") return NamedKey::escape;
  for (int k = 0; k <= static_cast<int>(NamedKey::space); ++k) {
    const auto key = static_cast<NamedKey>(k);
    if (keyCapText(key) == cap) return key;
  }
  return std::nullopt;
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
