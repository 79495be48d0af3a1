// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "harvest/accessibility_helper.h"
#include "platform/memory/memory_accessibility.h"

namespace tavrine::ax {
namespace {

TEST(MemoryTreeTest, ReadsMenusItemsSubmenusAndShortcutsFromText) {
  const MenuTreeParse parsed = parseMenuTree(
      "# sample\n"
      "File\n"
      "  Save As…  [⇧⌘S]\n"
      "  Open Recent\n"
      "    Clear Menu  [⌘K]\n"
      "\n"
      "Window\r\n"
      "  Next Tab  [⌃⇥]\r\n"
      "  Odd [title] [⌥⌘]]\n");
  ASSERT_TRUE(parsed.tree) << parsed.error;
  std::vector<std::tuple<std::string, std::string, std::string>> items;
  for (const ShortcutItem& i : AccessibilityHelper::getShortcuts(parsed.tree->application()))
    items.emplace_back(i.menuPath(), i.title(), i.shortcut());
  EXPECT_EQ(items, (decltype(items){{"File", "Save As…", "⇧⌘S"},
                                    {"File", "Clear Menu", "⌘K"},
                                    {"Window", "Next Tab", "⌃⇥"},  // no ⌘: no Command key
                                    {"Window", "Odd [title]", "⌥⌘]"}}));
}

TEST(MemoryTreeTest, RejectsMalformedLinesWithTheirNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"  Orphan\n", "line 1: an item needs a menu above it"},
      {"File\n    Too deep\n", "line 2: an item is indented too deep"},
      {"File\n   Odd\n", "line 2: indentation must be a multiple of two spaces"},
      {"File\n\tTab\n", "line 2: indent with spaces, not tabs"},
      {"File\n  Bare  [⌘]\n", "line 2: a shortcut needs a key after its modifiers"},
  };
  for (const auto& [text, error] : cases) {
    const MenuTreeParse parsed = parseMenuTree(text);
    EXPECT_EQ(parsed.error, error);
    EXPECT_EQ(parsed.tree, nullptr);
  }
}

}  // namespace
}  // namespace tavrine::ax
