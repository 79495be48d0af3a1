#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using doubles::AppHarness;
using doubles::RecordingStatusBar;

// One line per item: title, or "---" for a separator.
std::vector<std::string> titles(const Menu& menu) {
  std::vector<std::string> out;
  for (const MenuItemRef& item : menu.itemArray())
    out.push_back(item->isSeparator() ? "---" : item->title());
  return out;
}

MenuItemRef item(const AppHarness& h, std::initializer_list<std::string_view> path) {
  return RecordingStatusBar::find(*h.fake.statusBar.menu(), path);
}

TEST(StatusMenuTest, IsBuiltOnceWithItsIconItemsActionsAndTargets) {
  AppHarness h(false);
  h.launch();
  ASSERT_EQ(h.fake.statusBar.items().size(), 1u);
  const auto& status = *h.fake.statusBar.items()[0];
  EXPECT_EQ(status.length, -1);
  auto image = std::dynamic_pointer_cast<const doubles::SymbolImage>(
      h.fake.statusBar.items()[0]->recordingButton()->image);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->name, "command.square");
  EXPECT_EQ(image->description, "Tavrine");

  const MenuRef menu = h.fake.statusBar.menu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->delegate(), h.delegate);
  EXPECT_EQ(titles(*menu), (std::vector<std::string>{"🌐 Language", "---", "", "---",
                                                     "About Tavrine", "---", "Quit"}));
  EXPECT_EQ(titles(*item(h, {"🌐 Language"})->submenu()),
            (std::vector<std::string>{"English", "中文"}));

  const auto& items = menu->itemArray();
  EXPECT_EQ(items[0], h.delegate->languageMenuItem);
  EXPECT_EQ(items[2], h.delegate->accessibilityMenuItem);
  EXPECT_FALSE(items[0]->action());
  EXPECT_TRUE(items[0]->isEnabled());  // it opens the submenu
  const MenuItemRef en = item(h, {"🌐 Language", "English"});
  const MenuItemRef zh = item(h, {"🌐 Language", "中文"});
  EXPECT_EQ(en->action(), "setLanguageEN");
  EXPECT_EQ(zh->action(), "setLanguageZH");
  EXPECT_EQ(en->target(), h.delegate);
  EXPECT_EQ(zh->target(), h.delegate);
  EXPECT_EQ(items[2]->action(), "requestAccessibility");
  EXPECT_EQ(items[2]->target(), h.delegate);

  // About and Quit travel the responder chain.
  EXPECT_FALSE(items[4]->hasTarget());
  EXPECT_EQ(items[4]->action(), "showAbout");
  EXPECT_FALSE(items[6]->hasTarget());
  EXPECT_EQ(items[6]->action(), "quitApp");
  EXPECT_EQ(items[6]->keyEquivalent(), "q");
  EXPECT_EQ(items[6]->keyEquivalentModifierMask(), modifier::kCommand);
  EXPECT_TRUE(items[4]->keyEquivalent().empty());
}

TEST(StatusMenuTest, MissingButtonOrSymbolStillGivesAWorkingMenu) {
  AppHarness noButton;
  noButton.fake.statusBar.setButtonsAvailable(false);
  noButton.launch();
  EXPECT_NE(noButton.fake.statusBar.menu(), nullptr);
  EXPECT_TRUE(noButton.fake.statusBar.choose({"About Tavrine"}));

  AppHarness noSymbol;
  noSymbol.fake.statusBar.setSymbolsAvailable(false);
  noSymbol.launch();
  EXPECT_EQ(noSymbol.fake.statusBar.items()[0]->recordingButton()->image, nullptr);
  EXPECT_NE(noSymbol.fake.statusBar.menu(), nullptr);
}

TEST(StatusMenuTest, UntrustedOpeningOffersTheRequest) {
  AppHarness h(false);
  h.launch();
  h.fake.statusBar.open();
  const MenuItemRef ax = h.delegate->accessibilityMenuItem;
  EXPECT_EQ(ax->title(), "\u2717 辅助功能未授权\uFF08点击授权\uFF09");
  EXPECT_TRUE(ax->isEnabled());
  EXPECT_EQ(h.delegate->flagsMonitor, nullptr);

  EXPECT_TRUE(h.fake.statusBar.choose({ax->title()}));
  EXPECT_EQ(h.fake.trust.prompts(), 1u);
  EXPECT_EQ(h.fake.runLoop.liveTimerCount(AppDelegate::kPermissionPollInterval, true), 1u);
}

TEST(StatusMenuTest, TrustedOpeningShowsTheGrantDisabledAndInstallsGlobalMonitorsOnce) {
  AppHarness h(false);
  h.launch();
  h.fake.trust.setTrusted(true);  // granted in the system's settings, with no poll running
  h.fake.events.setGlobalMonitorsAvailable(true);

  h.fake.statusBar.open();
  const MenuItemRef ax = h.delegate->accessibilityMenuItem;
  EXPECT_EQ(ax->title(), "\u2713 辅助功能权限已授权");
  EXPECT_FALSE(ax->action());
  EXPECT_FALSE(ax->isEnabled());
  EXPECT_FALSE(h.fake.statusBar.choose({ax->title()}));
  EXPECT_NE(h.delegate->flagsMonitor, nullptr);
  EXPECT_NE(h.delegate->keyMonitor, nullptr);

  h.fake.statusBar.open();
  h.fake.statusBar.open();
  EXPECT_EQ(h.fake.events.globalAttempts(), 2u);

  // Trust withdrawn later: the request comes back; the monitors stay.
  h.fake.trust.setTrusted(false);
  h.fake.statusBar.open();
  EXPECT_EQ(ax->title(), "\u2717 辅助功能未授权\uFF08点击授权\uFF09");
  EXPECT_EQ(ax->action(), "requestAccessibility");
  EXPECT_NE(h.delegate->flagsMonitor, nullptr);
}

TEST(StatusMenuTest, CheckMarksFollowTheLanguageAtTheNextOpening) {
  AppHarness h;
  h.launch();
  const MenuItemRef en = item(h, {"🌐 Language", "English"});
  const MenuItemRef zh = item(h, {"🌐 Language", "中文"});
  h.fake.statusBar.open();
  EXPECT_EQ(en->state(), ControlState::on);
  EXPECT_EQ(zh->state(), ControlState::off);

  EXPECT_TRUE(h.fake.statusBar.choose({"🌐 Language", "中文"}));
  EXPECT_TRUE(h.t.isZH());
  EXPECT_EQ(en->state(), ControlState::on);  // not until the menu opens again
  h.fake.statusBar.open();
  EXPECT_EQ(en->state(), ControlState::off);
  EXPECT_EQ(zh->state(), ControlState::on);
  // The menu itself is not translated.
  EXPECT_EQ(titles(*h.fake.statusBar.menu()),
            (std::vector<std::string>{"🌐 Language", "---", "\u2713 辅助功能权限已授权", "---",
                                      "About Tavrine", "---", "Quit"}));

  // Choosing the current language writes it again, which observers hear about.
  int notified = 0;
  h.t.subscribe([&] { ++notified; });
  EXPECT_TRUE(h.fake.statusBar.choose({"🌐 Language", "中文"}));
  EXPECT_EQ(notified, 1);
  EXPECT_TRUE(h.t.isZH());
  EXPECT_TRUE(h.fake.statusBar.choose({"🌐 Language", "English"}));
  h.fake.statusBar.open();
  EXPECT_EQ(en->state(), ControlState::on);
  EXPECT_EQ(zh->state(), ControlState::off);
}

TEST(StatusMenuTest, AboutAndQuitReachTheApplication) {
  AppHarness h;
  h.launch();
  EXPECT_TRUE(h.fake.statusBar.choose({"About Tavrine"}));
  EXPECT_EQ(h.fake.application.aboutPanels, 1u);
  EXPECT_EQ(h.fake.application.terminations, 0u);
  EXPECT_TRUE(h.fake.statusBar.choose({"Quit"}));
  EXPECT_EQ(h.fake.application.terminations, 1u);
}

TEST(PermissionTest, GrantIsNoticedWithinASecondAndThePollStops) {
  AppHarness h(false);
  h.launch();
  ASSERT_TRUE(h.fake.statusBar.choose({"\u2717 辅助功能未授权\uFF08点击授权\uFF09"}));
  h.fake.runLoop.advance(2);  // declined or ignored so far: the poll goes on
  EXPECT_EQ(h.fake.runLoop.liveTimerCount(AppDelegate::kPermissionPollInterval, true), 1u);
  EXPECT_EQ(h.fake.events.globalAttempts(), 0u);

  h.fake.runLoop.advance(0.3);
  h.fake.trust.setTrusted(true);
  h.fake.events.setGlobalMonitorsAvailable(true);
  h.fake.runLoop.advance(0.7);
  EXPECT_NE(h.delegate->flagsMonitor, nullptr);
  EXPECT_EQ(h.fake.runLoop.liveTimerCount(AppDelegate::kPermissionPollInterval, true), 0u);

  h.fake.statusBar.open();
  EXPECT_FALSE(h.delegate->accessibilityMenuItem->action());
  EXPECT_EQ(h.fake.events.globalMonitorCount(kEventMaskFlagsChanged), 1u);
}

TEST(PermissionTest, TwoRequestsRunTwoPollsButInstallOnePairOfMonitors) {
  AppHarness h(false);
  h.launch();
  h.delegate->requestAccessibility();
  h.fake.runLoop.advance(0.5);
  h.delegate->requestAccessibility();
  EXPECT_EQ(h.fake.trust.prompts(), 2u);
  EXPECT_EQ(h.fake.runLoop.liveTimerCount(AppDelegate::kPermissionPollInterval, true), 2u);

  h.fake.trust.setTrusted(true);
  h.fake.events.setGlobalMonitorsAvailable(true);
  h.fake.runLoop.advance(1);
  EXPECT_EQ(h.fake.runLoop.liveTimerCount(AppDelegate::kPermissionPollInterval, true), 0u);
  EXPECT_EQ(h.fake.events.globalMonitorCount(kEventMaskFlagsChanged), 1u);
  EXPECT_EQ(h.fake.events.globalMonitorCount(kEventMaskKeyDown), 1u);
}

TEST(PermissionTest, AlreadyTrustedRequestStopsAtTheFirstTick) {
  AppHarness h;
  h.launch();
  h.delegate->requestAccessibility();
  h.fake.runLoop.advance(1);
  EXPECT_TRUE(h.fake.runLoop.liveTimers().empty());
  EXPECT_EQ(h.fake.events.globalMonitorCount(kEventMaskFlagsChanged), 1u);
}

TEST(PermissionTest, GrantAfterTheDelegateIsGoneInstallsNothing) {
  AppHarness h(false);
  h.launch();
  h.delegate->requestAccessibility();
  h.delegate.reset();
  h.fake.trust.setTrusted(true);
  h.fake.events.setGlobalMonitorsAvailable(true);
  h.fake.runLoop.advance(1);
  EXPECT_EQ(h.fake.events.globalAttempts(), 0u);
  EXPECT_TRUE(h.fake.runLoop.liveTimers().empty());
}

}  // namespace
}  // namespace tavrine
