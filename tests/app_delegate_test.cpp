// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using doubles::AppHarness;
using doubles::Scope;

const std::string kNotTrusted(menu_title::kNotTrusted);
const std::string kTrusted(menu_title::kTrusted);

// One line per item: title, action or "-", "target" or "chain" (the responder chain) for an
// action, the key equivalent and "disabled" where they apply; "---" for a separator.
std::vector<std::string> lines(const MenuRef& menu) {
  std::vector<std::string> out;
  for (const MenuItemRef& item : menu->itemArray()) {
    std::string line =
        item->isSeparator() ? "---" : item->title() + " " + item->action().value_or("-");
    if (item->action()) line += item->hasTarget() ? " target" : " chain";
    if (!item->keyEquivalent().empty()) line += " " + item->keyEquivalent();
    if (!item->isEnabled() && !item->isSeparator()) line += " disabled";
    out.push_back(line);
  }
  return out;
}

// What a delegate leaves behind (a queued show, a pending hold, the release and permission
// polls, its monitors) does nothing once it is gone, and every timer stops.
TEST(AppDelegateTest, NothingHappensOnceTheDelegateIsGone) {
  AppHarness h(false);
  h.bringToFront(42, "Editor", "File\n  Save  [⌘S]\n");
  h.modifiers(modifier::kPrimary, Scope::local);
  ASSERT_TRUE(h.fake.runLoop.fireNextTimer());           // the read...
  ASSERT_TRUE(h.fake.runLoop.fireNextTimer());           // ...and one show wait for their turn...
  h.modifiers(modifier::kPrimary | 0x10, Scope::local);  // ...and another hold is pending
  h.delegate->showOverlay();
  h.delegate->requestAccessibility();
  h.delegate.reset();
  h.setTrusted(true);
  EXPECT_NE(h.fake.events.flagsChanged(Scope::local, modifier::kPrimary), nullptr);  // passed on
  h.fake.runLoop.advance(2);
  EXPECT_EQ(h.panelsMade(), 0u);
  EXPECT_EQ(h.fake.runLoop.liveTimerCount(), 0u);
  EXPECT_EQ(h.fake.events.globalAttempts, 0u);
}

// Built once, with its items and their actions. Each opening shows the trust and the language of
// that moment, and no sooner; an opening that finds trust installs the global monitors, once, and
// they stay when it is withdrawn.
TEST(StatusMenuTest, IsBuiltOnceAndEachOpeningShowsTheTrustAndLanguageOfThatMoment) {
  AppHarness h(false);
  ASSERT_EQ(h.fake.statusBar.items.size(), 1u);
  EXPECT_EQ(h.fake.statusBar.items[0]->length, -1);  // its icon is the Qt shell's to check
  ASSERT_NE(h.fake.statusBar.menu(), nullptr);
  EXPECT_EQ(lines(h.fake.statusBar.menu()),
            (std::vector<std::string>{
                "🌐 Language -", "---", " requestAccessibility target", "---",
                "About Tavrine showAbout chain", "---", "Quit quitApp chain q", "---",
                "Show Shortcuts of the Front Application showPinnedOverlay chain"}));
  EXPECT_EQ(
      lines(h.fake.statusBar.find({"🌐 Language"})->submenu()),
      (std::vector<std::string>{"English setLanguageEN target", "中文 setLanguageZH target"}));
  EXPECT_EQ(h.fake.statusBar.find({"Quit"})->keyEquivalentModifierMask(), modifier::kPrimary);
  const MenuItemRef en = h.fake.statusBar.find({"🌐 Language", "English"});
  const MenuItemRef zh = h.fake.statusBar.find({"🌐 Language", "中文"});
  int notified = 0;
  h.t.subscribe([&] { ++notified; });
  const struct {
    bool trusted;
    const char* choice;  // chosen before the opening
    std::string accessibility;
  } openings[] = {{false, "中文", kNotTrusted + " requestAccessibility target"},
                  {true, "中文", kTrusted + " - disabled"},  // granted with no poll running
                  {false, "English", kNotTrusted + " requestAccessibility target"}};
  bool shownZH = false;
  for (const auto& o : openings) {
    SCOPED_TRACE(o.accessibility);
    EXPECT_TRUE(h.fake.statusBar.choose({"🌐 Language", o.choice}));
    const bool isZH = o.choice == std::string("中文");
    EXPECT_EQ(h.t.isZH(), isZH);
    EXPECT_EQ(zh->state() == ControlState::on, shownZH) << "not before the next opening";
    h.setTrusted(o.trusted);
    h.fake.statusBar.open();
    EXPECT_EQ(lines(h.fake.statusBar.menu())[2], o.accessibility);
    EXPECT_EQ(en->state(), isZH ? ControlState::off : ControlState::on);
    EXPECT_EQ(zh->state(), isZH ? ControlState::on : ControlState::off);
    shownZH = isZH;
    EXPECT_FALSE(o.trusted && h.fake.statusBar.choose({kTrusted}));  // disabled
    EXPECT_EQ(h.fake.events.globalAttempts, o.trusted || h.delegate->globalMonitoring() ? 2u : 0u);
  }
  EXPECT_EQ(notified, 3);  // the same language again is still an assignment
  EXPECT_EQ(h.fake.events.monitorCount(Scope::global, kEventMaskFlagsChanged), 1u);
  EXPECT_EQ(h.fake.statusBar.find({"Quit"})->title(), "Quit");  // the menu is not translated
}

}  // namespace
}  // namespace tavrine
