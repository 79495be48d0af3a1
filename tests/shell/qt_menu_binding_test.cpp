// Rendering a menu model the core did not build through the delegate: key equivalents, texts,
// enabling, structure changes and targets.
#include "shell/qt_menu_binding.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "qt_event_loop.h"

namespace tavrine::qt {
namespace {

using doubles::runPendingEvents;

MenuItemRef item(std::string title, std::optional<MenuAction> action = std::nullopt,
                 std::string key = {}) {
  return std::make_shared<MenuItem>(std::move(title), std::move(action), std::move(key));
}

// Records the actions it performs.
struct Target final : MenuActionTarget {
  bool performMenuAction(std::string_view action, MenuItem&) override {
    performed.emplace_back(action);
    return true;
  }
  std::vector<std::string> performed;
};

// Adds an item at every opening after the first, and renames the first.
struct GrowingDelegate final : MenuDelegate {
  void menuWillOpen(Menu& menu) override {
    if (++openings > 1) menu.addItem(item("Added " + std::to_string(openings), "added"));
    menu.itemArray().front()->setTitle("Opened " + std::to_string(openings));
  }
  int openings = 0;
};

TEST(QtMenuBindingTest, KeyEquivalentsBecomeQtKeySequences) {
  auto quit = item("Quit", "quitApp", "q");
  EXPECT_EQ(keySequenceFor(*quit), QKeySequence(Qt::CTRL | Qt::Key_Q));
  EXPECT_EQ(keySequenceFor(*item("Redo", "redo", "Z")),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  EXPECT_EQ(keySequenceFor(*item("Settings", "settings", ",")),
            QKeySequence(Qt::CTRL | Qt::Key_Comma));
  EXPECT_EQ(keySequenceFor(*item("Next", "next", "\xEF\x9C\x83")),  // U+F703, right arrow
            QKeySequence(Qt::CTRL | Qt::Key_Right));
  EXPECT_EQ(keySequenceFor(*item("Help", "help", "\uF746")), QKeySequence(Qt::CTRL | Qt::Key_Help));
  EXPECT_EQ(keySequenceFor(*item("Cancel", "cancel", "\x1b")),
            QKeySequence(Qt::CTRL | Qt::Key_Escape));
  // A named key Qt has no key for shows no shortcut rather than a wrong one.
  EXPECT_TRUE(keySequenceFor(*item("Begin", "begin", "\uF72A")).isEmpty());
  EXPECT_TRUE(keySequenceFor(*item("About", "about")).isEmpty());
}

TEST(QtMenuBindingTest, ShowsTextsAsTheyAreAndEnablesOnlyWhatCanBeChosen) {
  auto model = std::make_shared<Menu>();
  model->addItem(item("Save & Quit", "saveAndQuit"));
  model->addItem(item("Inert"));
  model->addItem(MenuItem::separatorItem());
  auto sub = std::make_shared<Menu>();
  sub->addItem(item("Inside", "inside"));
  auto opener = item("Opener");
  opener->setSubmenu(sub);
  model->addItem(opener);

  QtMenuBinding binding(model, [] { return nullptr; });
  const QList<QAction*> actions = binding.menu()->actions();
  ASSERT_EQ(actions.size(), 4);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("Save && Quit"));  // '&' is no mnemonic
  EXPECT_TRUE(actions[0]->isEnabled());
  EXPECT_FALSE(actions[1]->isEnabled());  // no action
  EXPECT_TRUE(actions[2]->isSeparator());
  EXPECT_TRUE(actions[3]->isEnabled());  // opens a submenu
  ASSERT_NE(actions[3]->menu(), nullptr);
  EXPECT_EQ(actions[3]->menu()->actions().at(0)->text(), QStringLiteral("Inside"));
}

TEST(QtMenuBindingTest, ItemsAddedOrRenamedByTheDelegateShowAtThatOpening) {
  auto model = std::make_shared<Menu>();
  model->addItem(item("First", "first"));
  auto delegate = std::make_shared<GrowingDelegate>();
  model->setDelegate(delegate);
  QtMenuBinding binding(model, [] { return nullptr; });

  for (int opening = 1; opening <= 3; ++opening) {
    binding.menu()->popup(QPoint(0, 0));
    runPendingEvents();
    const QList<QAction*> actions = binding.menu()->actions();
    ASSERT_EQ(actions.size(), opening);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Opened %1").arg(opening));
    if (opening > 1) {
      EXPECT_EQ(actions.back()->text(), QStringLiteral("Added %1").arg(opening));
    }
    binding.menu()->hide();
  }
  EXPECT_EQ(delegate->openings, 3);
}

TEST(QtMenuBindingTest, ActionsGoToTheirTargetOrTheEndOfTheResponderChain) {
  auto model = std::make_shared<Menu>();
  auto own = std::make_shared<Target>();
  auto end = std::make_shared<Target>();
  auto targeted = item("Targeted", "toOwn");
  targeted->setTarget(own);
  model->addItem(targeted);
  model->addItem(item("Chained", "toEnd"));
  auto orphan = item("Orphan", "lost");
  {
    auto gone = std::make_shared<Target>();
    orphan->setTarget(gone);
  }
  model->addItem(orphan);

  QtMenuBinding binding(model, [end] { return end; });
  for (QAction* a : binding.menu()->actions())
    a->trigger();
  EXPECT_EQ(own->performed, std::vector<std::string>{"toOwn"});
  EXPECT_EQ(end->performed, std::vector<std::string>{"toEnd"});  // the orphan's action is lost
}

TEST(QtMenuBindingTest, TheModelNotQtDecidesTheCheckMarks) {
  auto model = std::make_shared<Menu>();
  auto on = item("On", "on");
  on->setState(ControlState::on);
  model->addItem(on);
  model->addItem(item("Off", "off"));
  auto target = std::make_shared<Target>();
  QtMenuBinding binding(model, [target] { return target; });

  QAction* off = binding.menu()->actions().at(1);
  EXPECT_TRUE(off->isCheckable());
  EXPECT_FALSE(off->isChecked());
  off->trigger();  // Qt would toggle it; the model still says off
  EXPECT_FALSE(off->isChecked());
  EXPECT_TRUE(binding.menu()->actions().at(0)->isChecked());

  // A menu where nothing is on shows no check boxes at all.
  on->setState(ControlState::off);
  binding.sync();
  EXPECT_FALSE(binding.menu()->actions().at(0)->isCheckable());
  EXPECT_FALSE(off->isCheckable());
}

TEST(QtMenuBindingTest, AnActionMayDropTheMenuItWasChosenFrom) {
  // The QMenu is still inside its key handling when the action runs; it must outlive it.
  struct Dropper final : MenuActionTarget {
    bool performMenuAction(std::string_view, MenuItem&) override {
      binding.reset();
      return true;
    }
    std::unique_ptr<QtMenuBinding> binding;
  };
  auto dropper = std::make_shared<Dropper>();
  auto model = std::make_shared<Menu>();
  model->addItem(item("Drop", "drop"));
  dropper->binding = std::make_unique<QtMenuBinding>(model, [dropper] { return dropper; });

  const QPointer<QMenu> menu = dropper->binding->menu();
  menu->popup(QPoint(0, 0));
  menu->setActiveAction(menu->actions().at(0));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(menu, &enter);
  EXPECT_EQ(dropper->binding, nullptr);
  EXPECT_FALSE(menu.isNull());  // not while it handles the key
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(menu.isNull());
}

TEST(QtMenuBindingTest, ASubmenuOpeningMayReplaceThatVerySubmenu) {
  // The submenu's delegate swaps the parent item's submenu while its old QMenu is opening.
  struct Replacer final : MenuDelegate {
    void menuWillOpen(Menu&) override {
      auto fresh = std::make_shared<Menu>();
      fresh->addItem(item("Fresh", "fresh"));
      opener->setSubmenu(fresh);
    }
    MenuItemRef opener;
  };
  auto replacer = std::make_shared<Replacer>();
  auto model = std::make_shared<Menu>();
  replacer->opener = item("Opener");
  auto stale = std::make_shared<Menu>();
  stale->addItem(item("Stale", "stale"));
  stale->setDelegate(replacer);
  replacer->opener->setSubmenu(stale);
  model->addItem(replacer->opener);
  QtMenuBinding binding(model, [] { return nullptr; });

  const QPointer<QMenu> old = binding.menu()->actions().at(0)->menu();
  ASSERT_FALSE(old.isNull());
  old->popup(QPoint(0, 0));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(old.isNull());
  QMenu* fresh = binding.menu()->actions().at(0)->menu();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->actions().at(0)->text(), QStringLiteral("Fresh"));
}

}  // namespace
}  // namespace tavrine::qt
