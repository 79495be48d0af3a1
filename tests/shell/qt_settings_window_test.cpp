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
  SettingsWindow w;
  explicit Window(const Settings& s = {}, Desktop d = Desktop::gnome)
      : w(
            s, [this](const Settings& r) { return saves && (saved = r, true); }, d, t) {}
};

QList<QWidget*> controls(const SettingsWindow& w) {
  return {w.triggerButton(Trigger::primary),
          w.triggerButton(Trigger::super),
          w.triggerButton(Trigger::alt),
          w.holdDelay(),
          w.placement(),
          w.appearance(),
          w.sizePercent(),
          w.language(),
          w.startAtLogin(),
          w.exclusions(),
          w.exclusionEntry(),
          w.addExclusion(),
          w.removeExclusion(),
          w.applyButton()};
}

TEST(SettingsWindowTest, EveryControlReachesTheSavedRecord) {
  Settings start;
  start.neverShowOver = {"Gimp", "org.gnome.gedit"};
  const struct {
    const char* what;
    void (*edit)(SettingsWindow&);
    void (*expect)(Settings&);
  } cases[] = {
      {"super", [](auto& w) { w.triggerButton(Trigger::super)->click(); },
       [](auto& s) { s.trigger = Trigger::super; }},
      {"alt", [](auto& w) { w.triggerButton(Trigger::alt)->click(); },
       [](auto& s) { s.trigger = Trigger::alt; }},
      {"delay", [](auto& w) { w.holdDelay()->setValue(200); },
       [](auto& s) { s.holdDelayMs = 200; }},
      {"added",
       [](auto& w) {
         w.exclusionEntry()->setText(" Steam ");
         w.addExclusion()->click();
       },
       [](auto& s) { s.neverShowOver.push_back("Steam"); }},
      {"typed", [](auto& w) { w.exclusionEntry()->setText("vmware"); },
       [](auto& s) { s.neverShowOver.push_back("vmware"); }},
      {"removed",
       [](auto& w) {
         w.exclusions()->setCurrentRow(0);
         w.removeExclusion()->click();
       },
       [](auto& s) { s.neverShowOver = {"org.gnome.gedit"}; }},
      {"placement", [](auto& w) { w.placement()->setCurrentIndex(1); },
       [](auto& s) { s.placement = settings::Placement::pointer; }},
      {"appearance", [](auto& w) { w.appearance()->setCurrentIndex(2); },
       [](auto& s) { s.appearance = settings::Appearance::dark; }},
      {"size", [](auto& w) { w.sizePercent()->setValue(120); },
       [](auto& s) { s.sizePercent = 120; }},
      {"language", [](auto& w) { w.language()->setCurrentIndex(1); },
       [](auto& s) { s.language = settings::Language::chinese; }},
      {"login", [](auto& w) { w.startAtLogin()->click(); }, [](auto& s) { s.startAtLogin = true; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Window h(start);
    c.edit(h.w);
    Settings expected = start;
    c.expect(expected);
    ASSERT_TRUE(h.w.apply());
    EXPECT_EQ(h.saved, expected);
    EXPECT_EQ(h.w.applied(), expected);
  }
}

// Both languages: every text follows the switch, every control has a name, every label leads to
// its control, and no two mnemonics share a letter.
TEST(SettingsWindowTest, TextsFollowTheLanguageWithNamesAndDistinctMnemonics) {
  Window h;
  for (const bool zh : {false, true}) {
    h.t.setIsZH(zh);
    runPendingEvents();
    EXPECT_EQ(h.w.windowTitle(), zh ? "Tavrine 设置" : "Tavrine Settings");
    EXPECT_EQ(h.w.findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly)->buddy(),
              h.w.holdDelay());
    EXPECT_TRUE(h.w.holdDelay()->accessibleName().startsWith(zh ? "按住时长" : "Hold delay"));
    for (QWidget* c : controls(h.w))
      EXPECT_FALSE(c->accessibleName().isEmpty()) << c->metaObject()->className();
    std::set<QChar> letters;
    for (QWidget* c : h.w.findChildren<QWidget*>()) {
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
  QList<QWidget*> tabbed;
  QWidget* at = h.w.triggerButton(Trigger::primary);
  for (int step = 0; step < 200; ++step, at = at->nextInFocusChain())
    if (controls(h.w).contains(at) && !tabbed.contains(at)) tabbed.push_back(at);
  EXPECT_EQ(tabbed, controls(h.w));
  h.w.holdDelay()->setFocus();
  for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Return}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(h.w.holdDelay(), &press);
  }
  ASSERT_TRUE(h.saved);
  EXPECT_EQ(h.saved->holdDelayMs, 600);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(h.w.holdDelay(), &escape);
  EXPECT_FALSE(h.w.isVisible());
}

TEST(SettingsWindowTest, AFailedSaveIsShownAndKeepsTheEdits) {
  Window h;
  h.saves = false;
  h.w.show();
  h.w.sizePercent()->setValue(130);
  EXPECT_FALSE(h.w.apply());
  EXPECT_TRUE(h.w.status()->isVisible());
  EXPECT_EQ(h.w.status()->text(), "The settings could not be saved; nothing was changed.");
  EXPECT_EQ(h.w.applied(), Settings{});
  EXPECT_EQ(h.w.sizePercent()->value(), 130);
  h.t.setIsZH(true);
  runPendingEvents();
  EXPECT_EQ(h.w.status()->text(), "无法保存设置；未做任何更改。");
  h.saves = true;
  EXPECT_TRUE(h.w.apply());
  EXPECT_EQ(h.w.status()->text(), "设置已保存。");
}

// One window at most; settings read again while it is open are shown in it, except what the user
// changed there and has not applied; its colours follow the appearance in use.
TEST(SettingsWindowTest, OneWindowShowsNewerSettingsKeepingUnappliedEdits) {
  TranslationHelper t;
  SettingsWindowOpener opener(
      {}, [](const Settings&) { return true; }, Desktop::kde, t);
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
  overlay.languageMenu()->close();
}

}  // namespace
}  // namespace tavrine::qt
