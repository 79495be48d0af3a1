// SPDX-License-Identifier: MIT
#include "keys/key_binding.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>

#include "model/named_key.h"
#include "text/unicode.h"

namespace tavrine::keys {
namespace {

// What the modifiers of one binding add up to: Ctrl, Shift, Alt, Super.
struct Modifiers {
  bool ctrl = false;
  unsigned mask = 0;  // KeyChord's bits for Shift, Alt and Super (control)
};
constexpr unsigned kShift = KeyChord::kShift;
constexpr unsigned kAlt = KeyChord::kAlt;
constexpr unsigned kSuper = KeyChord::kControl;

struct Key {
  KeyChord::Key key;
  bool impliesShift = false;  // a key that only Shift reaches (Back Tab)
};

bool isReadable(std::string_view binding) {
  return !binding.empty() && binding.size() <= kMaxKeyBindingBytes &&
         std::none_of(binding.begin(), binding.end(), [](char c) {
           const auto b = static_cast<unsigned char>(c);
           return b < 0x20 || b == 0x7F;
         });
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) {
             return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
           };
           return lower(x) == lower(y);
         });
}

bool isAnyOf(std::string_view word, std::initializer_list<std::string_view> names) {
  return std::any_of(names.begin(), names.end(),
                     [word](std::string_view n) { return equalsIgnoringCase(word, n); });
}

Key named(NamedKey key, bool impliesShift = false) {
  return {key, impliesShift};
}

// A character key as typed without Shift; none for a control or an unassigned character.
std::optional<Key> characterKey(char32_t c) {
  if (c == U' ') return named(NamedKey::space);
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return std::nullopt;
  const xkb_keysym_t sym = xkb_utf32_to_keysym(c);
  const std::uint32_t lower =
      sym != XKB_KEY_NoSymbol ? xkb_keysym_to_utf32(xkb_keysym_to_lower(sym)) : 0;
  return Key{text::keyCapOf(text::toUtf8(lower != 0 ? lower : c))};
}

std::optional<NamedKey> namedKeyForKeysym(xkb_keysym_t sym) {
  if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F35)
    return functionKey(static_cast<int>(sym - XKB_KEY_F1) + 1);
  switch (sym) {
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
      return NamedKey::upArrow;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
      return NamedKey::downArrow;
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left:
      return NamedKey::leftArrow;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right:
      return NamedKey::rightArrow;
    case XKB_KEY_Insert:
    case XKB_KEY_KP_Insert:
      return NamedKey::insert;
    case XKB_KEY_Delete:
    case XKB_KEY_KP_Delete:
      return NamedKey::forwardDelete;
    case XKB_KEY_Home:
    case XKB_KEY_KP_Home:
      return NamedKey::home;
    case XKB_KEY_Begin:
    case XKB_KEY_KP_Begin:
      return NamedKey::begin;
    case XKB_KEY_End:
    case XKB_KEY_KP_End:
      return NamedKey::end;
    case XKB_KEY_Prior:  // Page_Up
    case XKB_KEY_KP_Prior:
      return NamedKey::pageUp;
    case XKB_KEY_Next:  // Page_Down
    case XKB_KEY_KP_Next:
      return NamedKey::pageDown;
    case XKB_KEY_Print:
      return NamedKey::printScreen;
    case XKB_KEY_Scroll_Lock:
      return NamedKey::scrollLock;
    case XKB_KEY_Pause:
      return NamedKey::pause;
    case XKB_KEY_Sys_Req:
      return NamedKey::sysReq;
    case XKB_KEY_Break:
      return NamedKey::breakKey;
    case XKB_KEY_Menu:
      return NamedKey::menu;
    case XKB_KEY_Help:
      return NamedKey::help;
    case XKB_KEY_Clear:
      return NamedKey::clearLine;
    case XKB_KEY_Select:
      return NamedKey::select;
    case XKB_KEY_Execute:
      return NamedKey::execute;
    case XKB_KEY_Undo:
      return NamedKey::undo;
    case XKB_KEY_Redo:
      return NamedKey::redo;
    case XKB_KEY_Find:
      return NamedKey::find;
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
    case XKB_KEY_ISO_Enter:
      return NamedKey::returnKey;
    case XKB_KEY_Tab:
    case XKB_KEY_KP_Tab:
      return NamedKey::tab;
    case XKB_KEY_Escape:
      return NamedKey::escape;
    case XKB_KEY_BackSpace:
      return NamedKey::backspace;
    case XKB_KEY_space:
    case XKB_KEY_KP_Space:
      return NamedKey::space;
    default:
      return std::nullopt;
  }
}

std::optional<Key> keyForKeysymName(std::string_view name) {
  if (name.empty() || name.find_first_of("<>") != std::string_view::npos) return std::nullopt;
  const xkb_keysym_t sym = xkb_keysym_from_name(std::string(name).c_str(), XKB_KEYSYM_NO_FLAGS);
  if (sym == XKB_KEY_NoSymbol) return std::nullopt;
  // Shift+Tab sends ISO_Left_Tab: an accelerator on it needs Shift whether it says so or not.
  if (sym == XKB_KEY_ISO_Left_Tab) return named(NamedKey::tab, true);
  if (const std::optional<NamedKey> key = namedKeyForKeysym(sym)) return named(*key);
  const std::uint32_t c = xkb_keysym_to_utf32(sym);
  if (c == 0) return std::nullopt;  // a modifier, a dead key, a key with no character
  return characterKey(c);
}

// Qt's names for keys without a character of their own, as QKeySequence writes and reads them.
std::optional<Key> keyForQtName(std::string_view name) {
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    int number = 0;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9' || number > 35) return std::nullopt;
      number = number * 10 + (c - '0');
    }
    if (const std::optional<NamedKey> key = functionKey(number)) return named(*key);
    return std::nullopt;
  }
  struct Name {
    std::string_view name;
    NamedKey key;
  };
  static constexpr std::array<Name, 39> kNames = {{
      {"Esc", NamedKey::escape},
      {"Escape", NamedKey::escape},
      {"Tab", NamedKey::tab},
      {"Backspace", NamedKey::backspace},
      {"Return", NamedKey::returnKey},
      {"Enter", NamedKey::returnKey},
      {"Ins", NamedKey::insert},
      {"Insert", NamedKey::insert},
      {"Del", NamedKey::forwardDelete},
      {"Delete", NamedKey::forwardDelete},
      {"Pause", NamedKey::pause},
      {"Print", NamedKey::printScreen},
      {"Print Screen", NamedKey::printScreen},
      {"SysReq", NamedKey::sysReq},
      {"System Request", NamedKey::sysReq},
      {"Home", NamedKey::home},
      {"End", NamedKey::end},
      {"Left", NamedKey::leftArrow},
      {"Up", NamedKey::upArrow},
      {"Right", NamedKey::rightArrow},
      {"Down", NamedKey::downArrow},
      {"PgUp", NamedKey::pageUp},
      {"Page Up", NamedKey::pageUp},
      {"PgDown", NamedKey::pageDown},
      {"Page Down", NamedKey::pageDown},
      {"ScrollLock", NamedKey::scrollLock},
      {"Scroll Lock", NamedKey::scrollLock},
      {"Menu", NamedKey::menu},
      {"Help", NamedKey::help},
      {"Space", NamedKey::space},
      {"Clear", NamedKey::clearLine},
      {"Select", NamedKey::select},
      {"Execute", NamedKey::execute},
      {"Undo", NamedKey::undo},
      {"Redo", NamedKey::redo},
      {"Find", NamedKey::find},
      {"Begin", NamedKey::begin},
      {"Break", NamedKey::breakKey},
      {"Stop", NamedKey::stop},
  }};
  // Back Tab is Shift+Tab under another name.
  if (equalsIgnoringCase(name, "Backtab")) return named(NamedKey::tab, true);
  for (const Name& n : kNames) {
    if (equalsIgnoringCase(name, n.name)) return named(n.key);
  }
  return std::nullopt;
}

// Adds a GTK modifier name (between < and >) to `m`; false for one that cannot be shown.
bool addGtkModifier(std::string_view name, Modifiers& m) {
  if (isAnyOf(name, {"Primary", "Control", "Ctrl", "Ctl"})) {
    m.ctrl = true;
  } else if (isAnyOf(name, {"Shift", "Shft"})) {
    m.mask |= kShift;
  } else if (isAnyOf(name, {"Alt", "Mod1", "Meta"})) {
    // X keymaps put Meta on Mod1 with Alt.
    m.mask |= kAlt;
  } else if (isAnyOf(name, {"Super", "Mod4", "Hyper"})) {
    m.mask |= kSuper;
  } else if (!isAnyOf(name, {"Release", "Mod2"})) {
    // Release only says when the shortcut fires; Mod2 is Num Lock. Mod3, Mod5 (AltGr) and
    // unknown names have no cap: a shortcut shown without them would be a different one.
    return false;
  }
  return true;
}

bool addQtModifier(std::string_view word, Modifiers& m) {
  if (isAnyOf(word, {"Ctrl", "Control"})) {
    m.ctrl = true;
  } else if (equalsIgnoringCase(word, "Shift")) {
    m.mask |= kShift;
  } else if (equalsIgnoringCase(word, "Alt")) {
    m.mask |= kAlt;
  } else if (equalsIgnoringCase(word, "Meta")) {
    m.mask |= kSuper;  // Qt's Meta is the Super key on Linux
  } else if (!equalsIgnoringCase(word, "Num")) {
    return false;  // Num marks a keypad key, which shows as its character
  }
  return true;
}

KeyChord chordOf(Modifiers m, Key key) {
  if (key.impliesShift) m.mask |= kShift;
  return KeyChord::make(m.mask | (m.ctrl ? unsigned{KeyChord::kPrimary} : 0U), std::move(key.key));
}

}  // namespace

std::optional<KeyChord> parseGtkAccelerator(std::string_view accelerator) {
  if (!isReadable(accelerator)) return std::nullopt;
  Modifiers m;
  while (!accelerator.empty() && accelerator.front() == '<') {
    const std::size_t close = accelerator.find('>');
    if (close == std::string_view::npos) return std::nullopt;
    if (!addGtkModifier(accelerator.substr(1, close - 1), m)) return std::nullopt;
    accelerator.remove_prefix(close + 1);
  }
  std::optional<Key> key = keyForKeysymName(accelerator);
  if (!key) return std::nullopt;
  return chordOf(m, std::move(*key));
}

std::optional<KeyChord> parseGtkKeyBinding(std::string_view binding) {
  if (!isReadable(binding)) return std::nullopt;
  const std::size_t first = binding.find(';');
  const std::size_t second = first == std::string_view::npos ? first : binding.find(';', first + 1);
  if (second == std::string_view::npos || binding.find(';', second + 1) != std::string_view::npos)
    return std::nullopt;
  const std::string_view accelerator = binding.substr(second + 1);
  if (accelerator.empty()) return std::nullopt;  // a mnemonic alone
  return parseGtkAccelerator(accelerator);
}

std::optional<KeyChord> parseQtKeyBinding(std::string_view binding) {
  if (!isReadable(binding)) return std::nullopt;
  Modifiers m;
  bool keypad = false;
  std::string_view rest = binding;
  // Modifier words each end in '+'; a '+' in first place is the key itself ("Ctrl++").
  for (std::size_t plus = rest.find('+'); plus != std::string_view::npos && plus > 0;
       plus = rest.find('+')) {
    const std::string_view word = rest.substr(0, plus);
    keypad = keypad || equalsIgnoringCase(word, "Num");
    if (!addQtModifier(word, m)) break;
    rest.remove_prefix(plus + 1);
  }
  // What is left is one key. A chord ("Ctrl+K, Ctrl+C") leaves more and is refused whole: its
  // first stroke alone would be a different shortcut.
  std::optional<Key> key = keyForQtName(rest);
  if (!key) {
    const std::optional<char32_t> c = text::singleCodePoint(rest);
    if (!c) return std::nullopt;
    // Without a shortcut Qt reports the item's mnemonic as Alt and its letter.
    if (!m.ctrl && m.mask == kAlt && !keypad) return std::nullopt;
    key = characterKey(*c);
    if (!key) return std::nullopt;
  }
  return chordOf(m, std::move(*key));
}

std::optional<KeyChord> parseKeyBinding(std::string_view binding) {
  if (!isReadable(binding)) return std::nullopt;
  if (std::count(binding.begin(), binding.end(), ';') >= 2) return parseGtkKeyBinding(binding);
  if (std::optional<KeyChord> qt = parseQtKeyBinding(binding)) return qt;
  // A lone GTK accelerator ("<Primary>q", "Page_Up"): keysym names hold no '+', and where Qt
  // reads one too ("Delete", "F11") both read the same key.
  if (binding.find('+') == std::string_view::npos) return parseGtkAccelerator(binding);
  return std::nullopt;
}

}  // namespace tavrine::keys
