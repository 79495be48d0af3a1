// SPDX-License-Identifier: MIT
#include "model/key_chord.h"

#include <array>
#include <functional>
#include <string_view>
#include <utility>

namespace tavrine {
namespace {

using HeldFlag = bool KeyChord::*;

struct Modifier {
  HeldFlag held;
  std::string_view glyph;
  std::string_view word;
  std::string_view spoken;  // the glyph read out on macOS
};

// In glyph order; the words read Ctrl, Alt, Shift, Super.
constexpr std::array<Modifier, 4> kGlyphOrder = {{{&KeyChord::control, "⌃", "Super", "Control"},
                                                  {&KeyChord::alt, "⌥", "Alt", "Option"},
                                                  {&KeyChord::shift, "⇧", "Shift", "Shift"},
                                                  {&KeyChord::primary, "⌘", "Ctrl", "Command"}}};
constexpr std::array<const Modifier*, 4> kWordOrder = {&kGlyphOrder[3], &kGlyphOrder[1],
                                                       &kGlyphOrder[2], &kGlyphOrder[0]};

template <typename F>
void forEachModifier(const KeyChord& chord, KeyCapStyle style, F&& f) {
  for (std::size_t i = 0; i < kGlyphOrder.size(); ++i) {
    const Modifier& m = style == KeyCapStyle::glyphs ? kGlyphOrder[i] : *kWordOrder[i];
    if (chord.*m.held) f(m);
  }
}

// The keys whose Apple glyph no PC keyboard prints (↖ ↘ ⇞ ⇟ ⌦ ⌤), as Linux desktops write them;
// empty for the others, whose glyph (arrows, ⌫, ⇥, ↩) or name they share.
std::string_view desktopKeyCap(NamedKey key) {
  switch (key) {
    case NamedKey::home:
      return "Home";
    case NamedKey::end:
      return "End";
    case NamedKey::pageUp:
      return "PgUp";
    case NamedKey::pageDown:
      return "PgDn";
    case NamedKey::forwardDelete:
      return "Del";
    case NamedKey::enter:
      return "Enter";
    default:
      return {};
  }
}

}  // namespace

KeyChord KeyChord::make(unsigned modifiers, Key key) {
  return {(modifiers & kControl) != 0, (modifiers & kAlt) != 0, (modifiers & kShift) != 0,
          (modifiers & kPrimary) != 0, std::move(key)};
}

std::vector<std::string> keyCaps(const KeyChord& chord, KeyCapStyle style) {
  std::vector<std::string> caps;
  forEachModifier(chord, style, [&](const Modifier& m) {
    caps.emplace_back(style == KeyCapStyle::glyphs ? m.glyph : m.word);
  });
  if (const auto* named = std::get_if<NamedKey>(&chord.key)) {
    const std::string_view word = style == KeyCapStyle::words ? desktopKeyCap(*named) : "";
    caps.push_back(word.empty() ? keyCapText(*named) : std::string(word));
  } else if (const auto* text = std::get_if<std::string>(&chord.key); text && !text->empty()) {
    caps.push_back(*text);
  }
  return caps;
}

std::string shortcutText(const KeyChord& chord) {
  std::string out;
  for (const std::string& cap : keyCaps(chord))
    out += cap;
  return out;
}

std::string spokenChord(const KeyChord& chord, KeyCapStyle style) {
  const bool glyphs = style == KeyCapStyle::glyphs;
  std::string spoken;
  const auto add = [&](std::string_view part) {
    if (!spoken.empty()) spoken += glyphs ? ' ' : '+';
    spoken += part;
  };
  forEachModifier(chord, style, [&](const Modifier& m) { add(glyphs ? m.spoken : m.word); });
  if (const auto* named = std::get_if<NamedKey>(&chord.key)) {
    add(keyName(*named, glyphs ? KeyNames::mac : KeyNames::desktopLinux));
  } else if (const auto* text = std::get_if<std::string>(&chord.key); text && !text->empty()) {
    add(*text);
  }
  return spoken;
}

std::size_t KeyChordHash::operator()(const KeyChord& chord) const {
  const std::size_t modifiers = (chord.control ? 1U : 0U) | (chord.alt ? 2U : 0U) |
                                (chord.shift ? 4U : 0U) | (chord.primary ? 8U : 0U);
  std::size_t key = chord.key.index();
  if (const auto* named = std::get_if<NamedKey>(&chord.key)) {
    key ^= std::hash<int>{}(static_cast<int>(*named)) << 2;
  } else if (const auto* text = std::get_if<std::string>(&chord.key)) {
    key ^= std::hash<std::string>{}(*text) << 2;
  }
  return key * 16 + modifiers;
}

}  // namespace tavrine
