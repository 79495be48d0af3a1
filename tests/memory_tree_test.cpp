#include <gtest/gtest.h>

#include <string>

#include "harvest/accessibility_helper.h"
#include "platform/memory/memory_accessibility.h"

namespace tavrine::ax {
namespace {

TEST(MenuTreeTextTest, ReadsMenusItemsSubmenusAndShortcuts) {
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
  const auto items = AccessibilityHelper::getShortcuts(parsed.tree->application());
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].shortcut(), "⇧⌘S");
  EXPECT_EQ(items[0].title(), "Save As…");
  EXPECT_EQ(items[1].title(), "Clear Menu");
  EXPECT_EQ(items[1].menuPath(), "File");
  EXPECT_EQ(items[2].shortcut(), "⌃⇥");  // written without ⌘: no Command key
  EXPECT_EQ(items[3].title(), "Odd [title]");
  EXPECT_EQ(items[3].shortcut(), "⌥⌘]");
}

TEST(MenuTreeTextTest, RejectsMalformedLinesWithTheirNumber) {
  EXPECT_EQ(parseMenuTree("  Orphan\n").error, "line 1: an item needs a menu above it");
  EXPECT_EQ(parseMenuTree("File\n    Too deep\n").error, "line 2: an item is indented too deep");
  EXPECT_EQ(parseMenuTree("File\n   Odd\n").error,
            "line 2: indentation must be a multiple of two spaces");
  EXPECT_EQ(parseMenuTree("File\n\tTab\n").error, "line 2: indent with spaces, not tabs");
  EXPECT_EQ(parseMenuTree("File\n  Bare  [⌘]\n").error,
            "line 2: a shortcut needs a key after its modifiers");
  EXPECT_FALSE(parseMenuTree("File\n  Bare  [⌘]\n").tree);
}

}  // namespace
}  // namespace tavrine::ax
