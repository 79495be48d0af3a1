// SPDX-License-Identifier: MIT
// The overlay read through Qt's accessibility interfaces, as a screen reader or AT-SPI sees it.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>
#include <algorithm>
#include <string>
#include <vector>

#include "overlay_test_support.h"
#include "qt_event_loop.h"
#include "shell/overlay/overlay_widget.h"

namespace tavrine::qt {
namespace {

using namespace doubles;

// Each node under `parent` as "role name | description", a list's rows indented under it,
// checking that each knows its place in the tree.
std::vector<std::string> readChildren(QAccessibleInterface* parent,
                                      const std::string& indent = "") {
  std::vector<std::string> nodes;
  for (int i = 0; i < parent->childCount(); ++i) {
    QAccessibleInterface* child = parent->child(i);
    EXPECT_EQ(parent->indexOfChild(child), i);
    EXPECT_EQ(child->parent(), parent);
    const char* role = child->role() == QAccessible::Heading      ? "heading "
                       : child->role() == QAccessible::List       ? "list "
                       : child->role() == QAccessible::ListItem   ? "row "
                       : child->role() == QAccessible::ButtonMenu ? "menu "
                       : child->role() == QAccessible::ScrollBar  ? "scrollbar "
                       : child->role() == QAccessible::StaticText ? "text "
                                                                  : "? ";
    const QString description = child->text(QAccessible::Description);
    nodes.push_back(indent + role + child->text(QAccessible::Name).toStdString() +
                    (description.isEmpty() ? "" : " | " + description.toStdString()));
    if (child->role() == QAccessible::List) {
      for (std::string& row : readChildren(child, indent + "  "))
        nodes.push_back(std::move(row));
    }
  }
  return nodes;
}

// Header, sections and rows in display order; what is scrolled out of the view is marked
// offscreen, the header never; the language switch opens a menu, by its action or a click, that
// sets the language.
TEST(QtOverlayAccessibilityTest, ListsTheOverlayInDisplayOrderAndOpensTheLanguageMenu) {
  TranslationHelper t;
  const std::vector<ShortcutEntry> records = editorRecords();
  OverlayWidget w(makeView(records, t));
  QAccessibleInterface* overlay = QAccessible::queryAccessibleInterface(&w);
  EXPECT_EQ(overlay->text(QAccessible::Name), QStringLiteral("Editor Keyboard Shortcuts"));

  const std::vector<std::string> nodes = readChildren(overlay);
  // Header (3), 7 menus with a heading, a list and its records, the separator, 4 catalogue
  // groups alike with their 27 rows, the scroll bar.
  ASSERT_EQ(nodes.size(), 3 + 7 * 2 + records.size() + 1 + 4 * 2 + 27 + 1);
  EXPECT_EQ(
      std::vector(nodes.begin(), nodes.begin() + 8),
      (std::vector<std::string>{"text Editor", "text Keyboard Shortcuts", "menu EN | English, 中文",
                                "heading EDIT", "list EDIT", "  row Undo | Command Z",
                                "  row Redo | Shift Command Z", "  row Cut | Command X"}));
  // Each list follows its heading; the separator label stands between the two parts.
  const auto separator = std::find(nodes.begin(), nodes.end(), "text System Shortcuts");
  ASSERT_NE(separator, nodes.end());
  EXPECT_EQ(*(separator - 1), "  row Show Next Tab | Control Tab");
  EXPECT_EQ(*(separator + 2), "list GENERAL");
  EXPECT_EQ(*(separator + 3), "  row Copy | Command C");
  EXPECT_EQ(nodes.back(), "scrollbar ");

  w.resize(1000, 400);
  QAccessibleInterface* editList = overlay->child(4);
  QAccessibleInterface* lastList = overlay->child(overlay->childCount() - 2);  // the catalogue's
  // Header text, a heading, its list and first row; the catalogue's last list and last row.
  const auto offscreen = [&] {
    std::string marks;
    for (QAccessibleInterface* i :
         {overlay->child(0), overlay->child(3), editList, editList->child(0), lastList,
          lastList->child(lastList->childCount() - 1)})
      marks += i->state().offscreen ? '1' : '0';
    return marks;
  };
  EXPECT_EQ(offscreen(), "000011");
  // Rows tell assistive technologies where they are drawn, and move with the content.
  const QRect undo = editList->child(0)->rect();
  const int top = static_cast<int>(w.overlayLayout().scrollFrame().minY());
  EXPECT_TRUE(QRect(w.mapToGlobal(QPoint(0, top)), w.size() - QSize(0, top)).contains(undo));
  w.scrollTo(40);
  EXPECT_EQ(editList->child(0)->rect(), undo.translated(0, -40));
  w.scrollTo(1e9);
  EXPECT_EQ(offscreen(), "011100");

  w.show();
  QAccessibleInterface* button = overlay->child(2);
  button->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
  QMenu* menu = w.languageMenu();
  EXPECT_TRUE(menu->isVisible());
  const QList<QAction*> actions = menu->actions();
  ASSERT_GE(actions.size(), 2);  // the languages first
  EXPECT_FALSE(actions[0]->isCheckable() || actions[1]->isCheckable());
  actions[1]->trigger();
  EXPECT_TRUE(t.isZH());
  actions[0]->trigger();
  EXPECT_FALSE(t.isZH());
  menu->close();
  const QPoint inside = w.mapFromGlobal(button->rect().center());
  QMouseEvent press(QEvent::MouseButtonPress, inside, w.mapToGlobal(inside), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &press);
  EXPECT_TRUE(menu->isVisible());
  menu->close();
}

// Names are plain titles in the language of the moment; descriptions speak the caps in the
// overlay's style, all of a row's shortcuts in one, and the catalogue is the overlay's desktop's.
TEST(QtOverlayAccessibilityTest, NamesAndDescriptionsFollowTheLanguageStyleAndDesktop) {
  TranslationHelper t;
  ShortcutEntry copy = doubles::record("Edit", "Copy", "c");
  copy.chords.push_back(doubles::record("Edit", "Copy", "c", 1).chord());
  // A live desktop binding takes Bold's chord: the row says so aloud and in its tooltip.
  std::vector<ShortcutItem> system = SystemShortcuts::catalogue(Desktop::kde);
  system.emplace_back("W", "Boost", doubles::record("", "", "b").chord(),
                      ShortcutOrigin{"desktop", "", "加速"});
  OverlayWidget w(std::make_shared<OverlayView>(
      "Editor", groupByMenu({doubles::record("Edit", "<b>Bold</b>", "b"), copy}), t,
      OverlayStyle{KeyCapStyle::words}, system));
  QAccessibleInterface* overlay = QAccessible::queryAccessibleInterface(&w);
  const std::vector<std::string> nodes = readChildren(overlay);
  EXPECT_EQ(nodes[5], "  row <b>Bold</b> | Ctrl+B, taken by the desktop: Boost");
  EXPECT_EQ(nodes[6], "  row Copy | Ctrl+C or Ctrl+Shift+C");
  EXPECT_NE(std::find(nodes.begin(), nodes.end(), "  row Kill Window | Ctrl+Alt+Escape"),
            nodes.end());

  const auto hover = [&w](std::size_t row) {
    const Rect cell = w.overlayLayout().rowFrame(OverlayLayout::Section::application, 0, row);
    const QPointF at(cell.midX(), cell.midY() + w.overlayLayout().scrollFrame().minY());
    QHelpEvent event(QEvent::ToolTip, at.toPoint(), w.mapToGlobal(at.toPoint()));
    QCoreApplication::sendEvent(&w, &event);
    return QToolTip::text();
  };
  EXPECT_EQ(hover(1), QString());  // first: a tooltip keeps its text while it fades
  EXPECT_EQ(hover(0), QStringLiteral("taken by the desktop: Boost"));

  const std::vector<QAccessibleInterface*> kept = {overlay->child(1), overlay->child(2),
                                                   overlay->child(3), overlay->child(4)->child(1)};
  t.setIsZH(true);
  // The same interfaces read the Chinese texts once the panel has laid itself out again.
  ASSERT_TRUE(doubles::runEventLoopUntil(
      [&] { return kept[0]->text(QAccessible::Name) == QStringLiteral("快捷键"); }));
  EXPECT_EQ(kept[1]->text(QAccessible::Name), QStringLiteral("中文"));
  EXPECT_EQ(kept[2]->text(QAccessible::Name), QStringLiteral("编辑"));
  EXPECT_EQ(kept[3]->text(QAccessible::Name), QStringLiteral("拷贝"));
  EXPECT_EQ(kept[3]->text(QAccessible::Description), QStringLiteral("Ctrl+C 或 Ctrl+Shift+C"));
  EXPECT_EQ(overlay->child(4)->child(0)->text(QAccessible::Description),
            QStringLiteral("Ctrl+B，已被桌面占用：加速"));
}

}  // namespace
}  // namespace tavrine::qt
