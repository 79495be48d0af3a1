// SPDX-License-Identifier: MIT
#include "overlay/shortcut_row.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>

#include "harvest/named_key.h"
#include "text/unicode.h"

namespace tavrine {
namespace {

struct Modifier {
  std::string_view glyph;
  std::string_view word;
  int wordOrder;
  std::string_view spoken;  // the glyph read out
};

// The modifier a character stands for, or null. Characters are compared in their canonical form,
// made once per character.
const Modifier* modifierFor(std::string_view c) {
  static constexpr std::array<Modifier, 4> kModifiers = {{{"⌃", "Super", 3, "Control"},
                                                          {"⌥", "Alt", 1, "Option"},
                                                          {"⇧", "Shift", 2, "Shift"},
                                                          {"⌘", "Ctrl", 0, "Command"}}};
  static const std::unordered_map<std::string, const Modifier*> byGlyph = [] {
    std::unordered_map<std::string, const Modifier*> map;
    for (const Modifier& m : kModifiers)
      map.emplace(text::canonical(m.glyph), &m);
    return map;
  }();
  const auto found = byGlyph.find(text::canonical(c));
  return found != byGlyph.end() ? found->second : nullptr;
}

}  // namespace

std::vector<std::string> ShortcutRow::keyGroups(std::string_view shortcut, KeyCapStyle style) {
  std::vector<std::string> caps;
  std::string pending;
  // The run of modifiers since the last other character, with the text each was written as.
  std::vector<std::pair<std::string_view, const Modifier*>> modifiers;
  const auto flushModifiers = [&] {
    if (style == KeyCapStyle::words) {
      std::stable_sort(modifiers.begin(), modifiers.end(), [](const auto& a, const auto& b) {
        return a.second->wordOrder < b.second->wordOrder;
      });
    }
    for (const auto& [c, m] : modifiers)
      caps.emplace_back(style == KeyCapStyle::words ? m->word : c);
    modifiers.clear();
  };
  for (std::string_view c : text::graphemes(shortcut)) {
    if (const Modifier* m = modifierFor(c)) {
      if (!pending.empty()) caps.push_back(std::move(pending));
      pending.clear();
      modifiers.emplace_back(c, m);
    } else {
      flushModifiers();
      pending.append(c);
    }
  }
  flushModifiers();
  if (!pending.empty()) caps.push_back(std::move(pending));
  return caps;
}

std::string ShortcutRow::spokenShortcut() const {
  const bool glyphs = capStyle == KeyCapStyle::glyphs;
  std::string spoken;
  for (const std::string& cap : keyGroups()) {
    if (!spoken.empty()) spoken += glyphs ? ' ' : '+';
    if (const Modifier* m = glyphs ? modifierFor(cap) : nullptr) {
      spoken += m->spoken;
    } else if (const std::optional<NamedKey> key = namedKeyForCap(cap)) {
      spoken += keyName(*key, glyphs ? KeyNames::mac : KeyNames::desktopLinux);
    } else {
      spoken += cap;
    }
  }
  return spoken;
}

}  // namespace tavrine
