// SPDX-License-Identifier: MIT
// A small Qt application with a menu bar of known shortcuts: what the live AT-SPI checks, the
// benchmark and the end-to-end test read. With --no-menus it has no menu bar.
#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <cstdio>

namespace {

QAction* addItem(QMenu* menu, const char* text, const QKeySequence& shortcut = {}) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  // What the end-to-end test reads back: each command as it runs.
  QObject::connect(action, &QAction::triggered, [action] {
    std::printf("triggered: %s\n", action->text().toUtf8().constData());
    std::fflush(stdout);
  });
  return action;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("menu-app"));
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Menu App"));
  window.setCentralWidget(new QPlainTextEdit(&window));

  QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
  addItem(file, "&New", QKeySequence(Qt::CTRL | Qt::Key_N));
  addItem(file, "&Open…", QKeySequence(Qt::CTRL | Qt::Key_O));
  QMenu* recent = file->addMenu(QStringLiteral("Open &Recent"));
  addItem(recent, "notes.txt");
  addItem(recent, "Clear List", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
  file->addSeparator();
  addItem(file, "&Save", QKeySequence(Qt::CTRL | Qt::Key_S));
  addItem(file, "Save &As…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  file->addSeparator();
  QAction* quit = addItem(file, "&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q));
  QObject::connect(quit, &QAction::triggered, &app, &QApplication::quit);

  QMenu* edit = window.menuBar()->addMenu(QStringLiteral("&Edit"));
  addItem(edit, "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z));
  addItem(edit, "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X));
  QAction* pasteSpecial =
      addItem(edit, "Paste &Special", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
  pasteSpecial->setEnabled(false);
  addItem(edit, "&Delete", QKeySequence(Qt::Key_Delete));
  addItem(edit, "Toggle &Comment", QKeySequence(Qt::CTRL | Qt::Key_K, Qt::CTRL | Qt::Key_C));
  addItem(edit, "&Preferences");

  QMenu* view = window.menuBar()->addMenu(QStringLiteral("&View"));
  addItem(view, "Zoom &In", QKeySequence(Qt::CTRL | Qt::Key_Plus));
  addItem(view, "Zoom &Out", QKeySequence(Qt::CTRL | Qt::Key_Minus));
  addItem(view, "&Full Screen", QKeySequence(Qt::Key_F11));

  // --no-menus: a window with no menu bar at all, which has no shortcuts to show.
  if (QApplication::arguments().contains(QStringLiteral("--no-menus"))) window.setMenuBar(nullptr);
  window.resize(640, 480);
  window.show();
  return QApplication::exec();
}
