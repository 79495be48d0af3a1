// The status item and its menu on Qt, built by the real application delegate: the Qt ports for
// the status bar, run loop, application and screens, test doubles for events, trust, the
// workspace, accessibility and panels.
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
#include "i18n/translation_helper.h"
#include "platform/memory/memory_accessibility.h"
#include "qt_event_loop.h"
#include "shell/qt_application.h"
#include "shell/qt_image.h"
#include "shell/qt_run_loop.h"
#include "shell/qt_screens.h"
#include "shell/qt_status_bar.h"
#include "support/fake_trust.h"
#include "support/fake_workspace.h"
#include "support/recording_panels.h"
#include "support/scripted_events.h"

namespace tavrine::qt {
namespace {

using namespace std::chrono_literals;
using doubles::runEventLoopFor;
using doubles::runEventLoopUntil;
using doubles::runPendingEvents;

// The application delegate on the Qt shell's ports.
struct QtShell {
  QtApplication application;
  QtRunLoop runLoop;
  QtStatusBar statusBar;
  QtScreens screens;
  doubles::ScriptedEvents events;
  doubles::FakeWorkspace workspace;
  doubles::FakeTrust trust;
  ax::MemoryAccessibility accessibility;
  doubles::RecordingPanels panels;
  TranslationHelper t;  // a private language flag
  std::shared_ptr<AppDelegate> delegate;

  explicit QtShell(bool trusted, TrayAvailability tray = TrayAvailability::always)
      : statusBar(tray) {
    setTrusted(trusted);
    delegate = AppDelegate::create(Platform{application, runLoop, events, workspace, trust,
                                            accessibility, statusBar, screens, panels},
                                   t);
    statusBar.setResponderChainEnd(delegate);
  }
  ~QtShell() {
    if (QMenu* m = menu()) m->hide();
  }

  void setTrusted(bool trusted) {
    trust.setTrusted(trusted);
    events.setGlobalMonitorsAvailable(trusted);
  }
  void launch() { delegate->applicationDidFinishLaunching(); }

  QtStatusItem* item() const { return dynamic_cast<QtStatusItem*>(delegate->statusItem.get()); }
  QMenu* menu() const { return item() ? item()->menu() : nullptr; }

  // A click on the status item: the menu pops up (and tells the core first).
  QMenu* open() {
    QMenu* m = menu();
    m->popup(QPoint(10, 10));
    runPendingEvents();
    return m;
  }
  void close() {
    menu()->hide();
    runPendingEvents();
  }

  // Opens the menu and chooses the item reached through `titles` with the keyboard, the way a
  // user does: highlight, Right into a submenu, Return on the item.
  void choose(std::initializer_list<QString> titles) {
    QMenu* level = open();
    for (const QString& title : titles) {
      QAction* action = find(level, title);
      ASSERT_NE(action, nullptr) << title.toStdString();
      level->setActiveAction(action);
      if (QMenu* sub = action->menu()) {
        press(level, Qt::Key_Right);
        ASSERT_TRUE(sub->isVisible());
        level = sub;
      } else {
        press(level, Qt::Key_Return);
      }
    }
    runPendingEvents();
    EXPECT_FALSE(menu()->isVisible());  // choosing closes the menu
  }

  static void press(QMenu* menu, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &press);
  }

  static QAction* find(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
      if (!a->isSeparator() && a->text() == text) return a;
    return nullptr;
  }
};

// One line per action: its text, "▸" for a submenu, [x] or [ ] when checkable, "(disabled)",
// and its shortcut.
std::vector<std::string> lines(const QMenu* menu) {
  std::vector<std::string> out;
  for (const QAction* a : menu->actions()) {
    if (a->isSeparator()) {
      out.emplace_back("---");
      continue;
    }
    QString line = a->text();
    if (a->menu()) line += QStringLiteral(" ▸");
    if (a->isCheckable()) line += a->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
    if (!a->isEnabled()) line += QStringLiteral(" (disabled)");
    if (!a->shortcut().isEmpty()) line += QStringLiteral(" ") + a->shortcut().toString();
    out.push_back(line.toStdString());
  }
  return out;
}

QMenu* languages(const QMenu* menu) {
  return menu->actions().at(0)->menu();
}

const std::string kNotTrusted(menu_title::kNotTrusted);
const std::string kTrusted(menu_title::kTrusted);

TEST(QtStatusMenuTest, RendersTheCoreMenuUnderATrayIconWithTheCommandSquare) {
  QtShell shell(false);
  shell.launch();
  EXPECT_EQ(shell.application.activationPolicy(), ActivationPolicy::accessory);

  QtStatusItem* item = shell.item();
  ASSERT_NE(item, nullptr);
  ASSERT_NE(item->trayIcon(), nullptr);
  ASSERT_NE(item->button(), nullptr);
  EXPECT_EQ(item->trayIcon()->toolTip(), QStringLiteral("Tavrine"));
  EXPECT_TRUE(item->trayIcon()->icon().isMask());
  EXPECT_FALSE(item->trayIcon()->icon().pixmap(QSize(22, 22)).isNull());
  EXPECT_EQ(item->trayIcon()->contextMenu(), shell.menu());
  ASSERT_NE(item->menuModel(), nullptr);
  EXPECT_EQ(item->menuModel()->delegate(), shell.delegate);

  // Before the first opening the accessibility item has no title yet, but its action.
  ASSERT_NE(shell.menu(), nullptr);
  EXPECT_EQ(lines(shell.menu()), (std::vector<std::string>{"🌐 Language ▸", "---", "", "---",
                                                           "About Tavrine", "---", "Quit Ctrl+Q"}));
  QAction* quit = shell.menu()->actions().back();
  EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  EXPECT_TRUE(quit->isShortcutVisibleInContextMenu());
  EXPECT_EQ(quit->menuRole(), QAction::NoRole);  // stays in the menu on macOS

  QMenu* menu = shell.open();
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(lines(menu), (std::vector<std::string>{"🌐 Language ▸", "---", kNotTrusted, "---",
                                                   "About Tavrine", "---", "Quit Ctrl+Q"}));
  EXPECT_EQ(lines(languages(menu)), (std::vector<std::string>{"English [x]", "中文 [ ]"}));
  shell.close();

#ifndef Q_OS_MACOS
  // Linux trays report a plain click as a trigger; it opens the menu too, refreshed.
  shell.setTrusted(true);
  emit item->trayIcon()->activated(QSystemTrayIcon::Trigger);
  runPendingEvents();
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(lines(menu)[2], kTrusted + " (disabled)");
#endif
}

TEST(QtStatusMenuTest, EveryOpeningRefreshesCheckMarksAndTheAccessibilityItem) {
  QtShell shell(false);
  shell.launch();

  shell.choose({QStringLiteral("🌐 Language"), QStringLiteral("中文")});
  EXPECT_TRUE(shell.t.isZH());
  // The check marks follow at the next opening, not before.
  EXPECT_EQ(lines(languages(shell.menu())), (std::vector<std::string>{"English [x]", "中文 [ ]"}));
  EXPECT_EQ(lines(languages(shell.open())), (std::vector<std::string>{"English [ ]", "中文 [x]"}));
  shell.close();

  // The same language again: nothing changes.
  shell.choose({QStringLiteral("🌐 Language"), QStringLiteral("中文")});
  EXPECT_TRUE(shell.t.isZH());
  EXPECT_EQ(lines(languages(shell.open())), (std::vector<std::string>{"English [ ]", "中文 [x]"}));
  shell.close();

  shell.choose({QStringLiteral("🌐 Language"), QStringLiteral("English")});
  EXPECT_FALSE(shell.t.isZH());
  EXPECT_EQ(lines(languages(shell.open())), (std::vector<std::string>{"English [x]", "中文 [ ]"}));
  shell.close();

  // Trust arrives without the poll: the next opening shows it, disabled, and installs the
  // global monitors, once.
  shell.setTrusted(true);
  EXPECT_EQ(lines(shell.open())[2], kTrusted + " (disabled)");
  shell.close();
  EXPECT_NE(shell.delegate->flagsMonitor, nullptr);
  EXPECT_EQ(lines(shell.open())[2], kTrusted + " (disabled)");
  shell.close();
  EXPECT_EQ(shell.events.globalMonitorCount(kEventMaskFlagsChanged), 1u);
  EXPECT_EQ(shell.events.globalMonitorCount(kEventMaskKeyDown), 1u);

  // A disabled item cannot be chosen.
  QMenu* menu = shell.open();
  QAction* accessibility = menu->actions().at(2);
  menu->setActiveAction(accessibility);
  QtShell::press(menu, Qt::Key_Return);
  runPendingEvents();
  EXPECT_EQ(shell.trust.prompts(), 0u);
  shell.close();

  // Trust withdrawn: the request is offered again.
  shell.setTrusted(false);
  EXPECT_EQ(lines(shell.open())[2], kNotTrusted);
  shell.close();
}

TEST(QtStatusMenuTest, RequestingAccessibilityPromptsAndThePollInstallsTheMonitorsOnTheGrant) {
  QtShell shell(false);
  shell.launch();
  shell.choose({QString::fromUtf8(kNotTrusted.data(), static_cast<qsizetype>(kNotTrusted.size()))});
  EXPECT_EQ(shell.trust.prompts(), 1u);
  // The poll is held by the run loop alone.
  EXPECT_EQ(shell.runLoop.liveTimerCount(), 1u);
  runEventLoopFor(50ms);
  EXPECT_EQ(shell.delegate->flagsMonitor, nullptr);

  shell.setTrusted(true);
  ASSERT_TRUE(runEventLoopUntil([&] { return shell.delegate->flagsMonitor != nullptr; }, 3s));
  EXPECT_EQ(shell.runLoop.liveTimerCount(), 0u);  // the poll ended itself
  EXPECT_EQ(shell.events.globalMonitorCount(kEventMaskFlagsChanged), 1u);
  EXPECT_EQ(lines(shell.open())[2], kTrusted + " (disabled)");
  shell.close();
}

TEST(QtStatusMenuTest, AboutOpensOneNonModalBoxAndQuitEndsTheMainLoopWithZero) {
  QtShell shell(true);
  shell.launch();

  int result = -1;
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
    QTimer::singleShot(30ms, [&] {
      stillRunningAfterAboutClosed = true;
      shell.choose({QStringLiteral("Quit")});
    });
  });
  QTimer guard;  // a Quit that does not quit would otherwise hang the test
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  guard.start(10s);
  result = QApplication::exec();
  guard.stop();

  EXPECT_TRUE(stillRunningAfterAboutClosed);
  EXPECT_EQ(result, 0);
  runPendingEvents();
  EXPECT_EQ(shell.application.aboutPanel(), nullptr);  // closed and deleted
}

TEST(QtStatusMenuTest, WithoutASystemTrayTheItemHasNoButtonButItsMenuWorks) {
  QtShell shell(true, TrayAvailability::never);
  shell.launch();
  ASSERT_NE(shell.item(), nullptr);
  EXPECT_EQ(shell.item()->button(), nullptr);
  EXPECT_EQ(shell.item()->trayIcon(), nullptr);
  ASSERT_NE(shell.menu(), nullptr);
  shell.choose({QStringLiteral("🌐 Language"), QStringLiteral("中文")});
  EXPECT_TRUE(shell.t.isZH());
  EXPECT_EQ(lines(languages(shell.open())), (std::vector<std::string>{"English [ ]", "中文 [x]"}));
  shell.close();

  // Left to itself, the shell asks Qt (the offscreen platform has no tray).
  QtShell automatic(true, TrayAvailability::automatic);
  automatic.launch();
  EXPECT_EQ(automatic.item()->button() != nullptr, QSystemTrayIcon::isSystemTrayAvailable());
  EXPECT_NE(automatic.menu(), nullptr);
}

}  // namespace
}  // namespace tavrine::qt
