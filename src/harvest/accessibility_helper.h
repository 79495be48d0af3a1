// SPDX-License-Identifier: MIT
// Reads another application's menu bar into shortcut records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "harvest/menu_bar_state.h"
#include "harvest/shortcut_item.h"
#include "ports/accessibility.h"

namespace tavrine {

class AccessibilityHelper {
 public:
  AccessibilityHelper() = delete;

  // Bounds that keep a hostile or broken tree from holding the main thread: deeper menus, records
  // past the limit and items past the budget are left out, keeping what was read so far.
  static constexpr std::size_t kMaxMenuDepth = 64;
  static constexpr std::size_t kMaxRecords = 20'000;
  static constexpr std::size_t kMaxItemsVisited = 200'000;

  // One record per titled menu item with a key equivalent, at any depth, in menu order; empty when
  // nothing can be read. Never fails.
  static std::vector<ShortcutItem> getShortcuts(const ax::AccessibilityPort& port,
                                                std::int32_t pid);
  struct MenuBarRead {
    std::vector<ShortcutItem> items;
    // The application did not answer in time: its menu bar read cannotComplete.
    bool unanswered = false;
    MenuBarState state = MenuBarState::noApplication;
  };
  static MenuBarRead readMenuBar(const ax::AccessibilityPort& port, std::int32_t pid,
                                 ax::Patience patience = ax::Patience::hold);
  static std::vector<ShortcutItem> getShortcuts(const ax::Element& application);
  // The same, also giving each record's menu item (elements[i] is result[i]'s), to run it later.
  static std::vector<ShortcutItem> getShortcuts(const ax::Element& application,
                                                std::vector<ax::ElementRef>& elements);

  // The display text of a key equivalent: "⌃⌥⇧⌘" prefix from the menu-item modifier mask (Shift
  // 1, Option 2, Control 4, no Command 8), then the key: a named key (arrows, function keys,
  // Return, Tab...) by its cap text, any other upper-cased, with characters that would show as
  // nothing written as their code point.
  static std::string formatShortcut(std::int64_t modifiers, std::string_view key);

 private:
  struct Walk;
  static void extractShortcuts(const ax::Element& menu, const std::string& menuPath, Walk& walk);
  static std::vector<ShortcutItem> walkMenuBar(const ax::Element& application, Walk& walk,
                                               MenuBarRead* read = nullptr);
};

}  // namespace tavrine
