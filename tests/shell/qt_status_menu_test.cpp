// SPDX-License-Identifier: MIT
// The status item and its menu, built by the real delegate on the Qt ports and doubles for the
// rest.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "app/app_delegate.h"
#include "overlay_test_support.h"
#include "qt_event_loop.h"
#include "shell/qt/qt_application.h"
#include "shell/qt/qt_run_loop.h"
#include "shell/qt/qt_screens.h"
#include "shell/qt/qt_status_bar.h"
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

  explicit QtShell(TrayAvailability tray = TrayAvailability::always,
                   std::function<void()> openSettings = {})
      : statusBar(tray) {
    delegate =
        AppDelegate::create(Platform{application, runLoop, fake.events, fake.workspace, fake.trust,
                                     fake.accessibility, statusBar, screens, fake.panels},
                            fake.sources(), t);
    statusBar.setResponderChainEnd(delegate);
    delegate->setOpenSettings(std::move(openSettings));
    delegate->applicationDidFinishLaunching();
  }
  ~QtShell() { menu()->hide(); }

  QtStatusItem* item() const { return dynamic_cast<QtStatusItem*>(delegate->statusItem().get()); }
  QMenu* menu() const { return item()->menu(); }
  QAction* action(QMenu* in, int index) { return in->actions().at(index); }

  // Opens the menu and chooses the action at `index` with the keyboard, the way a user does.
  void choose(QMenu* in, int index) {
    menu()->popup(QPoint(10, 10));
    runPendingEvents();
    in->setActiveAction(action(in, index));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(in, &enter);
    runPendingEvents();
  }
};

// Whether anything is drawn in the check-mark column of `action`'s row.
bool marked(QMenu* menu, QAction* action) {
  const QImage image = menu->grab().toImage();
  const QRect row = menu->actionGeometry(action).adjusted(2, 2, -2, -2);  // inside the frame
  const QColor background = image.pixelColor(row.right() - 2, row.center().y());
  for (int y = row.top(); y <= row.bottom(); ++y) {
    for (int x = row.left(); x < row.left() + 18; ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.lightness() - background.lightness()) > 40) return true;
    }
  }
  return false;
}

TEST(QtStatusMenuTest, TheTrayIconOpensTheCoreMenuRefreshedAtEachOpening) {
  QtShell shell;
  EXPECT_EQ(shell.application.activationPolicy(), ActivationPolicy::accessory);
  QSystemTrayIcon* tray = shell.item()->trayIcon();
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->toolTip(), QStringLiteral("Tavrine"));
  EXPECT_FALSE(tray->icon().isNull());
  EXPECT_EQ(tray->contextMenu(), shell.menu());
  const QAction* quit = shell.action(shell.menu(), 6);
  EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  EXPECT_TRUE(quit->isShortcutVisibleInContextMenu());
  EXPECT_EQ(quit->menuRole(), QAction::NoRole);  // stays in the menu on macOS

  QMenu* languages = shell.action(shell.menu(), 0)->menu();
  shell.choose(languages, 1);  // 中文
  EXPECT_TRUE(shell.t.isZH());
  shell.menu()->hide();
  shell.fake.trust.trusted = true;
#ifdef Q_OS_MACOS
  shell.menu()->popup(QPoint(10, 10));
#else
  emit tray->activated(QSystemTrayIcon::Trigger);  // Linux trays report a plain click so
#endif
  runPendingEvents();
  EXPECT_TRUE(shell.menu()->isVisible());
  // A mark on the chosen language, nothing at all (no empty box) on the other.
  EXPECT_TRUE(marked(languages, shell.action(languages, 1)));
  EXPECT_FALSE(marked(languages, shell.action(languages, 0)));
  // The language item's globe is drawn, not a box.
  for (const QGlyphRun& run :
       doubles::glyphRuns(shell.action(shell.menu(), 0)->text(), shell.menu()->font()))
    EXPECT_FALSE(run.glyphIndexes().contains(0u));
  EXPECT_EQ(shell.action(shell.menu(), 2)->text().toStdString(), menu_title::kTrusted);
  EXPECT_FALSE(shell.action(shell.menu(), 2)->isEnabled());
}

// Without a tray the menu still works: About opens one non-modal box, closing it leaves the
// program running, and Quit ends the main loop with 0. Left to itself, the shell asks Qt.
TEST(QtStatusMenuTest, WithoutATrayAboutOpensOneNonModalBoxAndQuitEndsTheMainLoopWithZero) {
  QtShell shell(TrayAvailability::never);
  EXPECT_EQ(shell.item()->button(), nullptr);
  EXPECT_EQ(QtShell(TrayAvailability::automatic).item()->button() != nullptr,
            QSystemTrayIcon::isSystemTrayAvailable());
  bool stillRunningAfterAboutClosed = false;
  QTimer::singleShot(0, [&] {
    shell.choose(shell.menu(), 4);
    QMessageBox* about = shell.application.aboutPanel();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible() && !about->isModal());
    EXPECT_EQ(about->text(), QStringLiteral("Tavrine"));
    EXPECT_EQ(about->informativeText(),
              QStringLiteral("Version ") + QtApplication::applicationVersion());
    EXPECT_FALSE(QtApplication::applicationVersion().isEmpty());
    shell.choose(shell.menu(), 4);
    EXPECT_EQ(shell.application.aboutPanel(), about);  // brought forward, not a second box
    about->close();
    QTimer::singleShot(30, [&] {
      stillRunningAfterAboutClosed = true;
      shell.choose(shell.menu(), 6);  // Quit
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

// Where the program has a Settings window, the item under the language opens it.
TEST(QtStatusMenuTest, TheSettingsItemOpensTheWindow) {
  int opened = 0;
  QtShell shell(TrayAvailability::always, [&] { ++opened; });
  EXPECT_EQ(shell.action(shell.menu(), 1)->text().toStdString(), menu_title::kSettings);
  shell.choose(shell.menu(), 1);
  EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace tavrine::qt
