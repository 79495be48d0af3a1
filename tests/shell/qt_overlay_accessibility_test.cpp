// SPDX-License-Identifier: MIT
// The overlay read through Qt's accessibility interfaces, as a screen reader or AT-SPI sees it.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <string>
#include <vector>

#include "overlay/system_shortcuts.h"
#include "overlay_test_support.h"
#include "qt_event_loop.h"
#include "shell/overlay_widget.h"

namespace tavrine::qt {
namespace {

using doubles::editorRecords;
using doubles::makeView;

// Each child as "role name | description", checking that it knows its place in the tree.
std::vector<std::string> readChildren(QAccessibleInterface* overlay) {
  std::vector<std::string> nodes;
  for (int i = 0; i < overlay->childCount(); ++i) {
    QAccessibleInterface* child = overlay->child(i);
    EXPECT_EQ(overlay->indexOfChild(child), i);
    EXPECT_EQ(child->parent(), overlay);
    const char* role = child->role() == QAccessible::Heading      ? "heading "
                       : child->role() == QAccessible::ListItem   ? "row "
                       : child->role() == QAccessible::ButtonMenu ? "menu "
                       : child->role() == QAccessible::ScrollBar  ? "scrollbar "
                       : child->role() == QAccessible::StaticText ? "text "
                                                                  : "? ";
    const QString description = child->text(QAccessible::Description);
    nodes.push_back(role + child->text(QAccessible::Name).toStdString() +
                    (description.isEmpty() ? "" : " | " + description.toStdString()));
  }
  return nodes;
}

TEST(QtOverlayAccessibilityTest, ListsHeaderSectionsAndRowsInDisplayOrder) {
  TranslationHelper t;
  const std::vector<ShortcutItem> records = editorRecords();
  OverlayWidget w(makeView(records, t));
  QAccessibleInterface* overlay = QAccessible::queryAccessibleInterface(&w);
  EXPECT_EQ(overlay->text(QAccessible::Name), QStringLiteral("Editor Keyboard Shortcuts"));

  const std::vector<std::string> nodes = readChildren(overlay);
  std::size_t systemRows = 0;
  for (const SystemShortcuts::Group& g : SystemShortcuts::groups())
    systemRows += g.items.size();
  // Header (3), 7 menus with their records, the separator, 4 catalogue groups, the scroll bar.
  ASSERT_EQ(nodes.size(), 3 + 7 + records.size() + 1 + 4 + systemRows + 1);
  EXPECT_EQ(
      std::vector(nodes.begin(), nodes.begin() + 6),
      (std::vector<std::string>{"text Editor", "text Keyboard Shortcuts", "menu EN | English, 中文",
                                "heading EDIT", "row Undo | ⌘Z", "row Redo | ⇧⌘Z"}));
  std::vector<std::string> headings;
  std::copy_if(nodes.begin(), nodes.end(), std::back_inserter(headings),
               [](const std::string& n) { return n.starts_with("heading "); });
  EXPECT_EQ(headings, (std::vector<std::string>{
                          "heading EDIT", "heading EDITOR", "heading FILE", "heading FORMAT",
                          "heading HELP", "heading VIEW", "heading WINDOW", "heading GENERAL",
                          "heading WINDOW", "heading SYSTEM", "heading TEXT"}));
  // The separator label between the two parts; the catalogue follows in table order.
  const auto separator = std::find(nodes.begin(), nodes.end(), "text System Shortcuts");
  ASSERT_NE(separator, nodes.end());
  EXPECT_EQ(*(separator + 1), "heading GENERAL");
  const SystemShortcuts::Item& first = SystemShortcuts::groups()[0].items[0];
  EXPECT_EQ(*(separator + 2),
            "row " + std::string(first.titleEN) + " | " + std::string(first.shortcut));
  EXPECT_EQ(nodes.back(), "scrollbar ");
}

// Names are plain titles in the language of the moment; descriptions speak the caps in the
// overlay's style, and the catalogue is the overlay's desktop's.
TEST(QtOverlayAccessibilityTest, NamesAndDescriptionsFollowTheLanguageStyleAndDesktop) {
  TranslationHelper t;
  OverlayWidget w(std::make_shared<OverlayView>(
      "Editor",
      groupByMenu({ShortcutItem("Edit", "<b>Bold</b>", "⌘B"), ShortcutItem("Edit", "Copy", "⌘C")}),
      t, OverlayStyle{KeyCapStyle::words, Desktop::kde}));
  QAccessibleInterface* overlay = QAccessible::queryAccessibleInterface(&w);
  const std::vector<std::string> nodes = readChildren(overlay);
  EXPECT_EQ(nodes[4], "row <b>Bold</b> | Ctrl+B");
  EXPECT_NE(std::find(nodes.begin(), nodes.end(), "row Kill Window | Ctrl+Alt+Esc"), nodes.end());

  const std::vector<QAccessibleInterface*> kept = {overlay->child(1), overlay->child(2),
                                                   overlay->child(3), overlay->child(5)};
  t.setIsZH(true);
  // The same interfaces read the Chinese texts once the panel has laid itself out again.
  ASSERT_TRUE(doubles::runEventLoopUntil(
      [&] { return kept[0]->text(QAccessible::Name) == QStringLiteral("快捷键"); }));
  EXPECT_EQ(kept[1]->text(QAccessible::Name), QStringLiteral("中文"));
  EXPECT_EQ(kept[2]->text(QAccessible::Name), QStringLiteral("编辑"));
  EXPECT_EQ(kept[3]->text(QAccessible::Name), QStringLiteral("拷贝"));
}

TEST(QtOverlayAccessibilityTest, TheLanguageSwitchOpensAMenuThatSetsTheLanguage) {
  TranslationHelper t;
  OverlayWidget w(makeView(editorRecords(), t));
  w.resize(1200, 720);
  w.show();
  QAccessibleInterface* button = QAccessible::queryAccessibleInterface(&w)->child(2);
  button->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
  QMenu* menu = w.languageMenu();
  EXPECT_TRUE(menu->isVisible());
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_FALSE(actions[0]->isCheckable() || actions[1]->isCheckable());
  actions[1]->trigger();
  EXPECT_TRUE(t.isZH());
  actions[0]->trigger();
  EXPECT_FALSE(t.isZH());
  menu->close();

  // A click on the switch itself opens the menu too.
  const QPoint inside = w.mapFromGlobal(button->rect().center());
  QMouseEvent press(QEvent::MouseButtonPress, inside, w.mapToGlobal(inside), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &press);
  EXPECT_TRUE(menu->isVisible());
  menu->close();
}

}  // namespace
}  // namespace tavrine::qt
