// SPDX-License-Identifier: MIT
#include "harvest/key_equivalent.h"

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

}  // namespace

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

KeyChord keyEquivalentChord(std::int64_t modifiers, std::string_view key) {
  KeyChord chord;
  chord.shift = (modifiers & 1) != 0;
  chord.alt = (modifiers & 2) != 0;
  chord.control = (modifiers & 4) != 0;
  // A key equivalent marked as having no Command key must not be shown with one.
  chord.primary = (modifiers & 8) == 0;
  // A key without a printable character shows by its glyph or name, never as an empty cap.
  if (const std::optional<NamedKey> named = namedKey(key)) {
    chord.key = *named;
  } else {
    chord.key = text::keyCapOf(key);
  }
  return chord;
}

}  // namespace tavrine
