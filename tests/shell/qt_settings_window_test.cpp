// SPDX-License-Identifier: MIT
#include "shell/settings/settings_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <optional>
#include <set>

#include "overlay_test_support.h"
#include "qt_event_loop.h"
#include "shell/overlay/overlay_widget.h"

namespace tavrine::qt {
namespace {

using doubles::runPendingEvents;
using settings::Settings;
using settings::Trigger;

struct Window {
  TranslationHelper t;
  std::optional<Settings> saved;
  bool saves = true;
  SettingsWindow w{Settings{}, [this](const Settings& r) { return saves && (saved = r, true); },
                   Desktop::gnome, t};
};

// Each field distinct from its default, so that a control missing from the record shows.
TEST(SettingsWindowTest, EveryControlReachesTheSavedRecord) {
  const Settings start{.neverShowOver = {"Gimp", "org.gnome.gedit"}};
  Window h;
  h.w.showSettings(start);
  h.w.triggerButton(Trigger::super)->click();
  h.w.holdDelay()->setValue(200);
  h.w.exclusions()->setCurrentRow(0);
  h.w.removeExclusion()->click();
  h.w.exclusionEntry()->setText(" Steam ");
  h.w.addExclusion()->click();
  h.w.exclusionEntry()->setText("vmware");  // typed, not added: Apply takes it too
  h.w.placement()->setCurrentIndex(1);
  h.w.appearance()->setCurrentIndex(2);
  h.w.sizePercent()->setValue(120);
  h.w.language()->setCurrentIndex(1);
  h.w.startAtLogin()->click();
  h.saves = false;
  EXPECT_FALSE(h.w.apply());
  EXPECT_EQ(h.w.applied(), start);
  h.saves = true;
  ASSERT_TRUE(h.w.apply());  // the edits stayed
  const Settings expected{.trigger = Trigger::super,
                          .holdDelayMs = 200,
                          .neverShowOver = {"org.gnome.gedit", "Steam", "vmware"},
                          .placement = settings::Placement::pointer,
                          .appearance = settings::Appearance::dark,
                          .sizePercent = 120,
                          .language = settings::Language::chinese,
                          .startAtLogin = true};
  EXPECT_EQ(h.saved, expected);
  EXPECT_EQ(h.w.applied(), expected);
}

// Both languages: every text follows, a failed save's too; every control has a name, every label
// leads to its control, no two mnemonics share a letter.
TEST(SettingsWindowTest, TextsFollowTheLanguageWithNamesAndDistinctMnemonics) {
  Window h;
  h.saves = false;
  h.w.show();
  h.w.apply();
  for (const bool zh : {false, true}) {
    h.t.setIsZH(zh);
    runPendingEvents();
    EXPECT_EQ(h.w.windowTitle(), zh ? "Tavrine 设置" : "Tavrine Settings");
    EXPECT_TRUE(h.w.holdDelay()->accessibleName().startsWith(zh ? "按住时长" : "Hold delay"));
    EXPECT_TRUE(h.w.status()->isVisible());
    EXPECT_EQ(h.w.status()->text(), zh ? "无法保存设置；未做任何更改。"
                                       : "The settings could not be saved; nothing was changed.");
    std::set<QChar> letters;
    for (QWidget* c : h.w.findChildren<QWidget*>()) {
      // The window's own controls: a combo box's popup list is a window of its own.
      const bool control = c->window() == &h.w && !qobject_cast<QAbstractSpinBox*>(c->parent());
      if ((c->focusPolicy() & Qt::TabFocus) && control) {
        EXPECT_FALSE(c->accessibleName().isEmpty()) << c->metaObject()->className();
      }
      auto* label = qobject_cast<QLabel*>(c);
      auto* button = qobject_cast<QAbstractButton*>(c);
      const QString text = label ? label->text() : button ? button->text() : QString();
      const qsizetype at = text.indexOf('&');
      if (at < 0) continue;
      EXPECT_TRUE(letters.insert(text[at + 1].toLower()).second) << text.toStdString();
      EXPECT_TRUE(button || label->buddy()) << text.toStdString();
    }
  }
  // The desktop's own use of Super is said only where it has one.
  EXPECT_TRUE(h.w.findChildren<QLabel*>().at(0)->text().contains("GNOME"));
}

TEST(SettingsWindowTest, TheKeyboardAloneChangesAValueAppliesAndCloses) {
  Window h;
  h.w.show();
  // Tab goes down the window as it is laid out.
  const QList<QWidget*> order{h.w.triggerButton(Trigger::alt), h.w.placement(), h.w.startAtLogin(),
                              h.w.exclusions(), h.w.applyButton()};
  QList<QWidget*> tabbed;
  QWidget* at = order[0];
  for (int step = 0; step < 200; ++step, at = at->nextInFocusChain())
    if (order.contains(at) && !tabbed.contains(at)) tabbed.push_back(at);
  EXPECT_EQ(tabbed, order);
  h.w.holdDelay()->setFocus();
  for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Return, Qt::Key_Escape}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(h.w.holdDelay(), &press);
  }
  EXPECT_EQ(h.saved.value_or(Settings{}).holdDelayMs, 600);
  EXPECT_FALSE(h.w.isVisible());
}

// One window at most; settings read again while it is open are shown in it, except what the user
// changed there and has not applied; its colours follow the appearance in use.
TEST(SettingsWindowTest, OneWindowShowsNewerSettingsKeepingUnappliedEdits) {
  TranslationHelper t;
  const auto saved = [](const Settings&) { return true; };
  SettingsWindowOpener opener({}, saved, Desktop::kde, t);
  opener.open();
  SettingsWindow* w = opener.window();
  opener.open();
  EXPECT_EQ(opener.window(), w);
  EXPECT_TRUE(w->isVisible());
  w->holdDelay()->setValue(900);
  Settings newer;
  newer.holdDelayMs = 700;
  newer.sizePercent = 130;
  newer.appearance = settings::Appearance::dark;
  opener.settingsChanged(newer);
  EXPECT_EQ(w->applied(), newer);
  EXPECT_EQ(w->holdDelay()->value(), 900);
  EXPECT_EQ(w->sizePercent()->value(), 130);
  EXPECT_LT(w->palette().color(QPalette::Window).lightness(), 80);
  w->appearance()->setCurrentIndex(1);
  ASSERT_TRUE(w->apply());
  EXPECT_GT(w->palette().color(QPalette::Window).lightness(), 170);
}

// The pinned overlay's language menu offers the window after the languages.
TEST(SettingsWindowTest, TheOverlaysMenuOpensIt) {
  TranslationHelper t;
  OverlayWidget overlay(doubles::makeView(doubles::editorRecords(), t));
  int opened = 0;
  overlay.setOpenSettings([&] { ++opened; });
  overlay.openLanguageMenu();
  QAction* item = overlay.languageMenu()->actions().back();
  EXPECT_EQ(item->text(), "Settings…");
  item->trigger();
  EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace tavrine::qt
