#include "overlay/shortcut_row.h"

#include <array>

#include "text/unicode.h"

namespace tavrine {
namespace {

bool isModifier(std::string_view c) {
  static constexpr std::array<std::string_view, 4> kModifiers = {"⌃", "⌥", "⇧", "⌘"};
  for (std::string_view m : kModifiers) {
    if (text::canonicalEquals(c, m)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> ShortcutRow::keyGroups(std::string_view shortcut) {
  std::vector<std::string> caps;
  std::string pending;
  for (std::string_view c : text::graphemes(shortcut)) {
    if (isModifier(c)) {
      if (!pending.empty()) caps.push_back(std::move(pending));
      pending.clear();
      caps.emplace_back(c);
    } else {
      pending.append(c);
    }
  }
  if (!pending.empty()) caps.push_back(std::move(pending));
  return caps;
}

}  // namespace tavrine
