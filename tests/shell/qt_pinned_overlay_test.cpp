// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "export/sheet_export.h"
#include "overlay_test_support.h"
#include "qt_event_loop.h"
#include "shell/overlay/overlay_widget.h"
#include "shell/overlay/sheet_pdf.h"

namespace tavrine::qt {
namespace {

// The delegate's side, recorded.
struct RecordingActions final : OverlayActions {
  void pinOverlay() override { ++pins; }
  bool isOverlayPinned() const override { return pins > 0; }
  void closePinnedOverlay() override { ++closes; }
  void pinnedOverlayLostKeyboard() override { ++losses; }
  void neverShowOverShownApplication() override { ++exclusions; }
  bool runShortcut(const ShortcutItem* item) override {
    ran.push_back(item != nullptr ? item->title() : "(system)");
    return runs;
  }
  int pins = 0, closes = 0, losses = 0, exclusions = 0;
  bool runs = true;
  std::vector<std::string> ran;
};

class PinnedOverlayWidgetTest : public ::testing::Test {
 protected:
  PinnedOverlayWidgetTest() {
    view->setActions(actions);
    widget.resize(1100, 700);
  }
  void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, code, modifiers);
    QApplication::sendEvent(widget.searchField(), &event);
  }
  void click(const QPointF& at, Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, modifiers);
    QApplication::sendEvent(&widget, &event);
  }
  std::string label() const { return widget.countLabel()->text().toStdString(); }

  TranslationHelper t;
  std::shared_ptr<OverlayView> view = doubles::makeView(doubles::editorRecords(), t);
  std::shared_ptr<RecordingActions> actions = std::make_shared<RecordingActions>();
  OverlayWidget widget{view};
};

// Only a Ctrl-click pins; pinned, typing narrows what is drawn and counted, arrows move the
// selection, Enter or a click runs a row and a refused one says so, Esc closes, and the keyboard
// leaving for another window is told as such.
TEST_F(PinnedOverlayWidgetTest, CtrlClickPinsTypingNarrowsAndKeysOrClicksRunRows) {
  click({300, 300}, Qt::NoModifier);
  EXPECT_EQ(actions->pins, 0);
  click({300, 300}, Qt::ControlModifier);
  EXPECT_EQ(actions->pins, 1);
  EXPECT_EQ(widget.searchField(), nullptr);  // the delegate pins the panel, not the click

  widget.setPinned();
  ASSERT_NE(widget.searchField(), nullptr);
  widget.searchField()->setText(QStringLiteral("save"));
  ASSERT_NE(widget.currentSearch(), nullptr);
  const std::size_t count = widget.currentSearch()->rows.size();
  EXPECT_EQ(widget.view().recordCount(), 2u);  // Save, Save As…
  EXPECT_EQ(label(), std::to_string(count) + " shortcuts");
  key(Qt::Key_Return);
  key(Qt::Key_Down);
  actions->runs = false;
  key(Qt::Key_Enter);
  EXPECT_EQ(actions->ran, (std::vector<std::string>{"Save", "Save As…"}));
  EXPECT_EQ(label(), "Can't be run from here");
  for (std::size_t i = 0; i < count; ++i)
    key(Qt::Key_Down);  // stops at the last
  EXPECT_EQ(widget.selectedRow(), count - 1);
  key(Qt::Key_Up);
  EXPECT_EQ(widget.selectedRow(), count - 2);
  const search::FoundRow& first = widget.currentSearch()->rows[0];
  const Rect cell = widget.overlayLayout().rowFrame(OverlayLayout::Section::application,
                                                    first.section, first.row);
  click({cell.midX(), cell.midY() + widget.overlayLayout().scrollFrame().minY()}, Qt::NoModifier);
  EXPECT_EQ(actions->ran.back(), "Save");

  widget.searchField()->setText(QStringLiteral("zzzz"));
  EXPECT_EQ(label(), "No shortcuts match");
  key(Qt::Key_Return);
  EXPECT_EQ(actions->ran.size(), 3u);  // nothing to run
  key(Qt::Key_Escape);
  EXPECT_EQ(actions->closes, 1);

  widget.show();
  widget.activateWindow();
  QApplication::processEvents();
  QWidget other;
  other.show();
  other.activateWindow();
  // On an X server the focus change comes back as an event, a moment later.
  EXPECT_TRUE(doubles::runEventLoopUntil([&] { return actions->losses == 1; }));
  EXPECT_EQ(actions->closes, 1);
}

// The overlay's menu offers never to show over the application, named in the language shown.
TEST_F(PinnedOverlayWidgetTest, TheMenuOffersNeverToShowOverTheApplication) {
  t.setIsZH(true);
  emit widget.languageMenu()->aboutToShow();
  QAction* never = widget.languageMenu()->actions().back();
  EXPECT_EQ(never->text().toStdString(), "不在" + view->appName() + "上显示");
  never->trigger();
  EXPECT_EQ(actions->exclusions, 1);
}

// The sheet as shown goes to a PDF of the chosen paper (its Markdown is the sheet test's).
TEST_F(PinnedOverlayWidgetTest, TheSheetAsShownBecomesAPdf) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const exported::Document sheet = exported::documentOf(*view);
  for (const QPageSize::PageSizeId size : {QPageSize::A4, QPageSize::Letter}) {
    const QString path = dir.filePath(QStringLiteral("sheet-%1.pdf").arg(int(size)));
    ASSERT_TRUE(writeSheetPdf(sheet, QIcon(), path, size));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    // The paper's size in points, in the page's media box.
    EXPECT_TRUE(bytes.contains(size == QPageSize::A4 ? "595" : "612")) << int(size);
  }
  EXPECT_FALSE(writeSheetPdf(sheet, QIcon(), dir.filePath(QStringLiteral("none/x.pdf"))));
}

// The overlay may close while its save dialog is open (a pressed row's answer, the tray): the
// window and the dialog go inside the dialog's loop, and nothing of them is used after. The
// dialog offers a file named after the application, in the folder offered.
TEST_F(PinnedOverlayWidgetTest, TheOverlayMayCloseWhileItsSaveDialogIsOpen) {
  const auto named = std::make_shared<OverlayView>("a/b", view->groupedShortcuts(), t);
  QPointer<OverlayWidget> pinned = new OverlayWidget(named);
  pinned->setPinned();
  QString offered;
  QTimer::singleShot(0, [&] {
    if (const auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
      offered = dialog->selectedFiles().value(0);
    pinned->deleteLater();
  });
  QKeyEvent event(QEvent::KeyPress, Qt::Key_P, Qt::ControlModifier);
  QApplication::sendEvent(pinned->searchField(), &event);
  EXPECT_TRUE(pinned.isNull());
  EXPECT_TRUE(offered.endsWith(QStringLiteral("/a-b shortcuts.pdf"))) << offered.toStdString();
}

}  // namespace
}  // namespace tavrine::qt
