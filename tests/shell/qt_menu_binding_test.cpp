// SPDX-License-Identifier: MIT
// A menu model as a QMenu: keys, texts, check marks, changes at an opening, targets, drops.
#include "shell/qt/qt_menu_binding.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qt_event_loop.h"

namespace tavrine::qt {
namespace {

MenuItemRef item(std::string title, std::optional<MenuAction> action = std::nullopt,
                 std::string key = {}) {
  return std::make_shared<MenuItem>(std::move(title), std::move(action), std::move(key));
}

MenuRef menuOf(std::initializer_list<MenuItemRef> items) {
  auto menu = std::make_shared<Menu>();
  for (const MenuItemRef& i : items)
    menu->addItem(i);
  return menu;
}

// Records the actions it performs, running `onAction` as it does.
struct Target final : MenuActionTarget {
  bool performMenuAction(std::string_view action, MenuItem&) override {
    performed.emplace_back(action);
    if (onAction) onAction();
    return true;
  }
  std::vector<std::string> performed;
  std::function<void()> onAction;
};

TEST(QtMenuBindingTest, KeyEquivalentsBecomeQtKeySequences) {
  const std::pair<std::string, QKeySequence> cases[] = {
      {"q", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"Z", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},  // upper case means Shift
      {",", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
      {"\xEF\x9C\x83", QKeySequence(Qt::CTRL | Qt::Key_Right)},  // U+F703, right arrow
      {"\uF746", QKeySequence(Qt::CTRL | Qt::Key_Help)},
      {"\x1b", QKeySequence(Qt::CTRL | Qt::Key_Escape)},
      {"\uF72A", QKeySequence()},  // a named key Qt has no key for: none rather than a wrong one
      {"", QKeySequence()},
  };
  for (const auto& [key, expected] : cases)
    EXPECT_EQ(keySequenceFor(*item("Item", "act", key)), expected) << key;
}

TEST(QtMenuBindingTest, ShowsTextsAsTheyAreAndSendsActionsToTheirTargets) {
  auto own = std::make_shared<Target>();
  auto end = std::make_shared<Target>();
  auto opener = item("Opener");
  opener->setSubmenu(menuOf({item("Inside", "inside")}));
  auto on = item("On", "toOwn");
  on->setState(ControlState::on);
  on->setTarget(own);
  auto orphan = item("Orphan", "lost");
  orphan->setTarget(std::make_shared<Target>());  // gone at once
  QtMenuBinding binding(menuOf({item("Save & Quit", "saveAndQuit"), item("Inert"),
                                MenuItem::separatorItem(), opener, on, orphan}),
                        [end] { return end; });

  const QList<QAction*> actions = binding.menu()->actions();
  ASSERT_EQ(actions.size(), 6);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("Save && Quit"));  // '&' is no mnemonic
  EXPECT_TRUE(actions[0]->isEnabled());
  EXPECT_FALSE(actions[1]->isEnabled());  // no action
  EXPECT_TRUE(actions[2]->isSeparator());
  EXPECT_TRUE(actions[3]->isEnabled());  // opens a submenu
  EXPECT_EQ(actions[3]->menu()->actions().at(0)->text(), QStringLiteral("Inside"));

  // The model, not Qt, decides the check marks: shown in a menu where an item is on.
  EXPECT_TRUE(actions[4]->isChecked());
  EXPECT_TRUE(actions[0]->isCheckable());
  for (QAction* a : actions)
    a->trigger();  // Qt would toggle a checkable action; the model still says off
  EXPECT_FALSE(actions[0]->isChecked());
  EXPECT_EQ(own->performed, std::vector<std::string>{"toOwn"});
  EXPECT_EQ(end->performed, std::vector<std::string>{"saveAndQuit"});  // the orphan's is lost
  on->setState(ControlState::off);
  binding.sync();
  EXPECT_FALSE(actions[4]->isCheckable());
}

TEST(QtMenuBindingTest, WhatTheDelegateChangesAtAnOpeningShowsAtThatOpening) {
  // Renames the first item at every opening and adds one at every opening after the first.
  struct Growing final : MenuDelegate {
    void menuWillOpen(Menu& menu) override {
      if (++openings > 1) menu.addItem(item("Added " + std::to_string(openings), "added"));
      menu.itemArray().front()->setTitle("Opened " + std::to_string(openings));
    }
    int openings = 0;
  };
  auto model = menuOf({item("First", "first")});
  auto delegate = std::make_shared<Growing>();
  model->setDelegate(delegate);
  QtMenuBinding binding(model, [] { return nullptr; });
  for (int opening = 1; opening <= 3; ++opening) {
    binding.menu()->popup(QPoint(0, 0));
    doubles::runPendingEvents();
    const QList<QAction*> actions = binding.menu()->actions();
    ASSERT_EQ(actions.size(), opening);
    EXPECT_EQ(actions.front()->text(), QStringLiteral("Opened %1").arg(opening));
    EXPECT_EQ(actions.back()->text(),
              opening > 1 ? QStringLiteral("Added %1").arg(opening) : QStringLiteral("Opened 1"));
    binding.menu()->hide();
  }
}

// Qt is still inside a menu when an action drops the binding, or when a submenu's opening replaces
// that very submenu: the QMenu goes only once Qt has left it.
TEST(QtMenuBindingTest, AMenuDroppedOrReplacedWhileQtIsInsideItGoesAfterwards) {
  auto target = std::make_shared<Target>();
  auto binding =
      std::make_unique<QtMenuBinding>(menuOf({item("Drop", "drop")}), [target] { return target; });
  target->onAction = [&] { binding.reset(); };
  const QPointer<QMenu> menu = binding->menu();
  menu->popup(QPoint(0, 0));
  menu->setActiveAction(menu->actions().at(0));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(menu, &enter);  // the action runs inside the QMenu's key handling
  EXPECT_TRUE(binding == nullptr && !menu.isNull());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(menu.isNull());

  struct Replacer final : MenuDelegate {
    void menuWillOpen(Menu&) override { opener->setSubmenu(menuOf({item("Fresh", "fresh")})); }
    MenuItemRef opener = item("Opener");
  };
  auto replacer = std::make_shared<Replacer>();
  auto stale = menuOf({item("Stale", "stale")});
  stale->setDelegate(replacer);
  replacer->opener->setSubmenu(stale);
  QtMenuBinding replaced(menuOf({replacer->opener}), [] { return nullptr; });
  const QPointer<QMenu> old = replaced.menu()->actions().at(0)->menu();
  old->popup(QPoint(0, 0));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(old.isNull());
  EXPECT_EQ(replaced.menu()->actions().at(0)->menu()->actions().at(0)->text(),
            QStringLiteral("Fresh"));
}

}  // namespace
}  // namespace tavrine::qt
