// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "sources/kxmlgui/kxmlgui.h"

namespace tavrine::sources::kxmlgui {
namespace {

using Keys = std::vector<std::string>;

TEST(Kxmlgui, ReadsTheActionPropertiesOfALocalUiFile) {
  const struct {
    const char* xml;
    Bindings expected;
  } cases[] = {
      {"<gui name=\"kwrite\"><MenuBar><Action name=\"file_new\"/></MenuBar>\n"
       "<ActionProperties scheme=\"Default\">\n"
       "  <Action shortcut=\"Ctrl+Alt+N\" name=\"file_new\"/>\n"
       "  <Action name=\"file_quit\" shortcut=\"\"/>\n"
       "  <Action name='view_split_vert' shortcut='Ctrl+Shift+L; F10'/>\n"
       "  <Action name=\"a&amp;b\" shortcut=\"Ctrl+;\"/>\n"
       "  <Action name=\"no_shortcut\" icon=\"x\"/>\n"
       "  <ActionList name=\"list\"/>\n"
       "</ActionProperties></gui>",
       {{"file_new", Keys{"Ctrl+Alt+N"}},
        {"file_quit", Keys{}},
        {"view_split_vert", Keys{"Ctrl+Shift+L", "F10"}},
        {"a&b", Keys{"Ctrl+;"}}}},
      // Actions outside ActionProperties (the menus) carry no bindings; nor does a broken tag.
      {"<MenuBar><Action name=\"file_new\" shortcut=\"Ctrl+N\"/></MenuBar>", {}},
      {"<ActionProperties><Action name=\"x\" shortcut=\"Ctrl+X", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parseActionProperties(c.xml), c.expected) << c.xml;
}

TEST(Kxmlgui, ReadsTheStandardShortcutsOfKdeglobals) {
  const auto standard = parseStandardShortcuts(
      "[General]\nQuit=Ctrl+X\n[Shortcuts]\nQuit=Ctrl+Shift+Q; Ctrl+Q\n Undo = Alt+Backspace \r\n"
      "Copy[$e]=Ctrl+C\nRedo=\n[Shortcuts][Sub]\nFind=F2\n");
  const Bindings expected{
      {"Quit", Keys{"Ctrl+Shift+Q", "Ctrl+Q"}}, {"Undo", Keys{"Alt+Backspace"}}, {"Redo", Keys{}}};
  EXPECT_EQ(standard, expected);
  EXPECT_EQ(standardShortcutOf("file_quit"), "Quit");
  EXPECT_EQ(standardShortcutOf("bookmark_add"), "AddBookmark");
  EXPECT_EQ(standardShortcutOf("file_save_all"), "");
}

}  // namespace
}  // namespace tavrine::sources::kxmlgui
