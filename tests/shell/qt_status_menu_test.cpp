// The status item and its menu on Qt, built by the real application delegate on the Qt ports for
// the status bar, run loop, application and screens, and test doubles for the rest.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "qt_event_loop.h"
#include "shell/qt_application.h"
#include "shell/qt_run_loop.h"
#include "shell/qt_screens.h"
#include "shell/qt_status_bar.h"
#include "support/fake_platform.h"

namespace tavrine::qt {
namespace {

using doubles::runPendingEvents;

struct QtShell {
  QtApplication application;
  QtRunLoop runLoop;
  QtStatusBar statusBar;
  QtScreens screens;
  doubles::FakePlatform fake;
  TranslationHelper t;
  std::shared_ptr<AppDelegate> delegate;

  explicit QtShell(TrayAvailability tray = TrayAvailability::always) : statusBar(tray) {
    delegate =
        AppDelegate::create(Platform{application, runLoop, fake.events, fake.workspace, fake.trust,
                                     fake.accessibility, statusBar, screens, fake.panels},
                            t);
    statusBar.setResponderChainEnd(delegate);
    delegate->applicationDidFinishLaunching();
  }
  ~QtShell() { menu()->hide(); }

  QtStatusItem* item() const { return dynamic_cast<QtStatusItem*>(delegate->statusItem.get()); }
  QMenu* menu() const { return item()->menu(); }

  // A click on the status item: the menu pops up, and tells the core first.
  QMenu* open() {
    menu()->popup(QPoint(10, 10));
    runPendingEvents();
    return menu();
  }

  // Chooses the item reached through `titles` with the keyboard, the way a user does: highlight,
  // Right into a submenu, Return on the item.
  void choose(std::initializer_list<QString> titles) {
    QMenu* level = open();
    for (const QString& title : titles) {
      QAction* action = nullptr;
      for (QAction* a : level->actions())
        if (a->text() == title) action = a;
      ASSERT_NE(action, nullptr) << title.toStdString();
      level->setActiveAction(action);
      QKeyEvent press(QEvent::KeyPress, action->menu() ? Qt::Key_Right : Qt::Key_Return,
                      Qt::NoModifier);
      QCoreApplication::sendEvent(level, &press);
      if (action->menu()) level = action->menu();
    }
    runPendingEvents();
    EXPECT_FALSE(menu()->isVisible());  // choosing closes the menu
  }
};

// One line per action: its text, "▸" for a submenu, [x] or [ ] when checkable, "(disabled)",
// and its shortcut.
std::vector<std::string> lines(const QMenu* menu) {
  std::vector<std::string> out;
  for (const QAction* a : menu->actions()) {
    QString line = a->isSeparator() ? QStringLiteral("---") : a->text();
    if (a->menu()) line += QStringLiteral(" ▸");
    if (a->isCheckable()) line += a->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
    if (!a->isEnabled()) line += QStringLiteral(" (disabled)");
    if (!a->shortcut().isEmpty()) line += QStringLiteral(" ") + a->shortcut().toString();
    out.push_back(line.toStdString());
  }
  return out;
}

std::vector<std::string> languages(const QMenu* menu) {
  return lines(menu->actions().at(0)->menu());
}

TEST(QtStatusMenuTest, ShowsTheCoreMenuUnderATrayIconAndRefreshesItAtEachOpening) {
  QtShell shell;
  EXPECT_EQ(shell.application.activationPolicy(), ActivationPolicy::accessory);
  QSystemTrayIcon* tray = shell.item()->trayIcon();
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->toolTip(), QStringLiteral("Tavrine"));
  EXPECT_TRUE(tray->icon().isMask());
  EXPECT_EQ(tray->contextMenu(), shell.menu());
  QAction* quit = shell.menu()->actions().back();
  EXPECT_TRUE(quit->isShortcutVisibleInContextMenu());
  EXPECT_EQ(quit->menuRole(), QAction::NoRole);  // stays in the menu on macOS

  const std::string notTrusted(menu_title::kNotTrusted);
  EXPECT_EQ(lines(shell.open()), (std::vector<std::string>{"🌐 Language ▸", "---", notTrusted, "---",
                                                           "About Tavrine", "---", "Quit Ctrl+Q"}));
  EXPECT_EQ(languages(shell.menu()), (std::vector<std::string>{"English [x]", "中文 [ ]"}));
  shell.menu()->hide();

  shell.choose({QStringLiteral("🌐 Language"), QStringLiteral("中文")});
  EXPECT_TRUE(shell.t.isZH());
  shell.fake.trust.trusted = true;
#ifdef Q_OS_MACOS
  shell.open();
#else
  // Linux trays report a plain click as a trigger; it opens the menu too.
  emit tray->activated(QSystemTrayIcon::Trigger);
  runPendingEvents();
#endif
  EXPECT_TRUE(shell.menu()->isVisible());
  EXPECT_EQ(languages(shell.menu()), (std::vector<std::string>{"English [ ]", "中文 [x]"}));
  EXPECT_EQ(lines(shell.menu())[2], std::string(menu_title::kTrusted) + " (disabled)");
}

TEST(QtStatusMenuTest, AboutOpensOneNonModalBoxAndQuitEndsTheMainLoopWithZero) {
  QtShell shell;
  bool stillRunningAfterAboutClosed = false;
  QTimer::singleShot(0, [&] {
    shell.choose({QStringLiteral("About Tavrine")});
    QMessageBox* about = shell.application.aboutPanel();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->text(), QStringLiteral("Tavrine"));
    EXPECT_EQ(about->informativeText(),
              QStringLiteral("Version ") + QtApplication::applicationVersion());
    EXPECT_FALSE(QtApplication::applicationVersion().isEmpty());
    shell.choose({QStringLiteral("About Tavrine")});
    EXPECT_EQ(shell.application.aboutPanel(), about);  // brought forward, not a second box

    // Closing the last window leaves the status-bar program running.
    about->close();
    QTimer::singleShot(30, [&] {
      stillRunningAfterAboutClosed = true;
      shell.choose({QStringLiteral("Quit")});
    });
  });
  QTimer guard;  // a Quit that does not quit would otherwise hang the test
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  guard.start(10'000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(stillRunningAfterAboutClosed);
  runPendingEvents();
  EXPECT_EQ(shell.application.aboutPanel(), nullptr);  // closed and deleted
}

TEST(QtStatusMenuTest, WithoutASystemTrayTheItemHasNoButtonButItsMenuWorks) {
  QtShell shell(TrayAvailability::never);
  EXPECT_EQ(shell.item()->button(), nullptr);
  EXPECT_EQ(shell.item()->trayIcon(), nullptr);
  shell.choose({QStringLiteral("🌐 Language"), QStringLiteral("中文")});
  EXPECT_TRUE(shell.t.isZH());

  // Left to itself, the shell asks Qt (the offscreen platform has no tray).
  QtShell automatic(TrayAvailability::automatic);
  EXPECT_EQ(automatic.item()->button() != nullptr, QSystemTrayIcon::isSystemTrayAvailable());
}

}  // namespace
}  // namespace tavrine::qt
