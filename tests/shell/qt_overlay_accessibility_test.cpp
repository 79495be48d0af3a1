// The overlay read through Qt's accessibility interfaces, as a screen reader or AT-SPI sees it.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <memory>
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

struct Node {
  QAccessible::Role role;
  std::string name;
  std::string description;
};

std::vector<Node> readChildren(QAccessibleInterface* overlay) {
  std::vector<Node> nodes;
  for (int i = 0; i < overlay->childCount(); ++i) {
    QAccessibleInterface* child = overlay->child(i);
    if (child == nullptr) {
      ADD_FAILURE() << "no child " << i;
      continue;
    }
    EXPECT_EQ(overlay->indexOfChild(child), i);
    EXPECT_EQ(child->parent(), overlay);
    nodes.push_back({child->role(), child->text(QAccessible::Name).toStdString(),
                     child->text(QAccessible::Description).toStdString()});
  }
  return nodes;
}

std::vector<Node> rowsAfter(const std::vector<Node>& nodes, const std::string& heading) {
  std::vector<Node> rows;
  auto it = std::find_if(nodes.begin(), nodes.end(), [&](const Node& n) {
    return n.role == QAccessible::Heading && n.name == heading;
  });
  for (++it; it < nodes.end() && it->role == QAccessible::ListItem; ++it)
    rows.push_back(*it);
  return rows;
}

TEST(QtOverlayAccessibilityTest, RowsReportWhereTheyAreDrawnAndMoveWithTheScroll) {
  TranslationHelper t;
  OverlayWidget w(makeView(editorRecords(), t));
  w.resize(1000, 400);
  w.show();
  QAccessibleInterface* overlay = QAccessible::queryAccessibleInterface(&w);
  ASSERT_NE(overlay, nullptr);
  QAccessibleInterface* undo = nullptr;
  for (int i = 0; i < overlay->childCount() && undo == nullptr; ++i) {
    if (overlay->child(i)->text(QAccessible::Name) == QStringLiteral("Undo"))
      undo = overlay->child(i);
  }
  ASSERT_NE(undo, nullptr);
  const QRect before = undo->rect();
  const QRect scrollArea(
      w.mapToGlobal(QPoint(0, static_cast<int>(w.overlayLayout().scrollFrame().minY()))),
      QSize(w.width(), 400));
  EXPECT_TRUE(scrollArea.contains(before.center())) << before.y();
  EXPECT_GT(before.width(), 0);

  w.scrollTo(40);
  EXPECT_EQ(undo->rect(), before.translated(0, -40));
}

TEST(QtOverlayAccessibilityTest, ListsHeaderSectionsAndRowsInDisplayOrder) {
  TranslationHelper t;
  const std::vector<ShortcutItem> records = editorRecords();
  OverlayWidget w(makeView(records, t));
  w.resize(1200, 720);
  QAccessibleInterface* overlay = QAccessible::queryAccessibleInterface(&w);
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(overlay->text(QAccessible::Name), QStringLiteral("Editor Keyboard Shortcuts"));

  const std::vector<Node> nodes = readChildren(overlay);
  std::size_t systemRows = 0;
  for (const SystemShortcuts::Group& g : SystemShortcuts::groups())
    systemRows += g.items.size();
  // Header (3), 7 menus with their records, the separator, 4 catalogue groups, the scroll bar.
  ASSERT_EQ(nodes.size(), 3 + 7 + records.size() + 1 + 4 + systemRows + 1);

  EXPECT_EQ(nodes[0].role, QAccessible::StaticText);
  EXPECT_EQ(nodes[0].name, "Editor");
  EXPECT_EQ(nodes[1].name, "Keyboard Shortcuts");
  EXPECT_EQ(nodes[2].role, QAccessible::ButtonMenu);
  EXPECT_EQ(nodes[2].name, "EN");

  std::vector<std::string> headings;
  for (const Node& n : nodes) {
    if (n.role == QAccessible::Heading) headings.push_back(n.name);
  }
  EXPECT_EQ(headings, (std::vector<std::string>{"EDIT", "EDITOR", "FILE", "FORMAT", "HELP", "VIEW",
                                                "WINDOW", "GENERAL", "WINDOW", "SYSTEM", "TEXT"}));

  // Rows keep harvest order within their menu, shortcut as shown.
  const std::vector<Node> edit = rowsAfter(nodes, "EDIT");
  ASSERT_EQ(edit.size(), 16u);
  EXPECT_EQ(edit[0].name, "Undo");
  EXPECT_EQ(edit[0].description, "⌘Z");
  EXPECT_EQ(edit[1].name, "Redo");
  EXPECT_EQ(edit[1].description, "⇧⌘Z");
  EXPECT_EQ(edit[5].name, "Paste and Match Style");
  EXPECT_EQ(edit[5].description, "⌥⇧⌘V");
  EXPECT_EQ(edit[15].name, "Check Document Now");

  // The separator label sits between the two parts; the catalogue follows in table order.
  const auto separator = std::find_if(nodes.begin(), nodes.end(),
                                      [](const Node& n) { return n.name == "System Shortcuts"; });
  ASSERT_NE(separator, nodes.end());
  EXPECT_EQ(separator->role, QAccessible::StaticText);
  EXPECT_EQ((separator + 1)->name, "GENERAL");
  const SystemShortcuts::Item& first = SystemShortcuts::groups()[0].items[0];
  EXPECT_EQ((separator + 2)->name, first.titleEN);
  EXPECT_EQ((separator + 2)->description, first.shortcut);

  EXPECT_EQ(nodes.back().role, QAccessible::ScrollBar);
}

TEST(QtOverlayAccessibilityTest, NamesAreThePlainTitlesAndFollowTheLanguage) {
  TranslationHelper t;
  OverlayWidget w(
      makeView({ShortcutItem("Edit", "<b>Bold</b>", "⌘B"), ShortcutItem("Edit", "Copy", "⌘C")}, t));
  w.resize(900, 500);
  QAccessibleInterface* overlay = QAccessible::queryAccessibleInterface(&w);
  QAccessibleInterface* label = overlay->child(1);
  QAccessibleInterface* heading = overlay->child(3);
  QAccessibleInterface* markup = overlay->child(4);
  QAccessibleInterface* copy = overlay->child(5);
  EXPECT_EQ(markup->text(QAccessible::Name), QStringLiteral("<b>Bold</b>"));
  EXPECT_EQ(markup->text(QAccessible::Description), QStringLiteral("⌘B"));

  w.renderImage();  // painted in English first
  t.setIsZH(true);
  // The panel lays itself out again once the new language is in place.
  const auto headerReads = [&w](const std::string& wanted) {
    const std::vector<Primitive>& header = w.overlayLayout().fixedPrimitives();
    return std::any_of(header.begin(), header.end(), [&](const Primitive& p) {
      const auto* text = std::get_if<TextPrimitive>(&p);
      return text != nullptr && text->text == wanted;
    });
  };
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return headerReads("快捷键"); }));
  // The same interfaces now read the Chinese texts.
  EXPECT_EQ(label->text(QAccessible::Name), QStringLiteral("快捷键"));
  EXPECT_EQ(heading->text(QAccessible::Name), QString::fromStdString(t.translateMenu("Edit")));
  EXPECT_EQ(copy->text(QAccessible::Name), QString::fromStdString(t.translateCommand("Copy")));
  EXPECT_EQ(overlay->child(2)->text(QAccessible::Name), QStringLiteral("中文"));
}

TEST(QtOverlayAccessibilityTest, TheTreeFollowsTheOverlaysStyleAndDesktop) {
  TranslationHelper t;
  OverlayWidget w(std::make_shared<const OverlayView>(
      "Editor", groupByMenu({ShortcutItem("Edit", "Redo", "⇧⌘Z")}), t,
      OverlayStyle{KeyCapStyle::words, Desktop::kde}));
  w.resize(900, 500);
  QAccessibleInterface* overlay = QAccessible::queryAccessibleInterface(&w);
  const std::vector<Node> nodes = readChildren(overlay);
  std::size_t systemRows = 0;
  for (const SystemShortcuts::Group& g : SystemShortcuts::groups(Desktop::kde))
    systemRows += g.items.size();
  // Header (3), one menu with its record, the separator, 4 catalogue groups, the scroll bar.
  ASSERT_EQ(nodes.size(), 3 + 2 + 1 + 4 + systemRows + 1);
  EXPECT_EQ(nodes[4].name, "Redo");
  EXPECT_EQ(nodes[4].description, "Ctrl+Shift+Z");
  const auto kill = std::find_if(nodes.begin(), nodes.end(),
                                 [](const Node& n) { return n.name == "Kill Window"; });
  ASSERT_NE(kill, nodes.end());
  EXPECT_EQ(kill->description, "Ctrl+Alt+Esc");
}

TEST(QtOverlayAccessibilityTest, LanguageSwitchOpensItsMenuAndTheMenuSetsTheLanguage) {
  TranslationHelper t;
  OverlayWidget w(makeView(editorRecords(), t));
  w.resize(1200, 720);
  QAccessibleInterface* button = QAccessible::queryAccessibleInterface(&w)->child(2);
  ASSERT_NE(button->actionInterface(), nullptr);
  EXPECT_FALSE(button->rect().isEmpty());
  button->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());

  QMenu* menu = w.languageMenu();
  EXPECT_TRUE(menu->isVisible());
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("English"));
  EXPECT_EQ(actions[1]->text(), QStringLiteral("中文"));
  EXPECT_FALSE(actions[0]->isCheckable());
  EXPECT_FALSE(actions[1]->isCheckable());

  actions[1]->trigger();
  EXPECT_TRUE(t.isZH());
  menu->close();
  actions[0]->trigger();
  EXPECT_FALSE(t.isZH());

  // A click on the switch itself opens the menu too.
  menu->close();
  const QPoint inside = w.mapFromGlobal(button->rect().center());
  QMouseEvent press(QEvent::MouseButtonPress, inside, w.mapToGlobal(inside), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &press);
  EXPECT_TRUE(menu->isVisible());
  menu->close();
}

}  // namespace
}  // namespace tavrine::qt
