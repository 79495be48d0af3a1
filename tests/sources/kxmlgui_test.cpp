// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "sources/kxmlgui/kxmlgui.h"
#include "support.h"

namespace tavrine::sources::kxmlgui {
namespace {

using Keys = std::vector<std::string>;

TEST(Kxmlgui, ReadsTheActionPropertiesOfALocalUiFile) {
  const auto ui = testing::readFile(TAVRINE_FIXTURES "/home/data/kxmlgui5/kwrite/kwriteui.rc");
  const Bindings expected{{"file_new", Keys{"Ctrl+Alt+N"}},
                          {"tools_spelling", Keys{}},
                          {"view_split_vert", Keys{"Ctrl+Shift+L", "F10"}},
                          {"a&b", Keys{"Ctrl+;"}}};
  EXPECT_EQ(parseActionProperties(ui), expected);
  // A broken tag carries no binding.
  EXPECT_TRUE(
      parseActionProperties("<ActionProperties><Action name=\"x\" shortcut=\"Ctrl+X").empty());
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
