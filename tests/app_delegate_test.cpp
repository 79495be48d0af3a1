#include <gtest/gtest.h>

#include <memory>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using doubles::AppHarness;
using doubles::Scope;

TEST(AppDelegateTest, LaunchWithoutTrustKeepsToLocalMonitorsAndAsksNothing) {
  AppHarness h(false);
  h.launch();
  EXPECT_EQ(h.fake.application.policies,
            std::vector<ActivationPolicy>{ActivationPolicy::accessory});
  EXPECT_EQ(h.delegate->statusItem, h.fake.statusBar.items().at(0));
  EXPECT_EQ(h.fake.events.localMonitorCount(kEventMaskFlagsChanged), 1u);
  EXPECT_EQ(h.fake.events.localMonitorCount(kEventMaskKeyDown), 1u);
  EXPECT_EQ(h.fake.events.globalAttempts(), 0u);
  EXPECT_EQ(h.delegate->flagsMonitor, nullptr);
  EXPECT_EQ(h.delegate->keyMonitor, nullptr);
  EXPECT_EQ(h.fake.trust.prompts(), 0u);
  EXPECT_TRUE(h.fake.panels.created.empty());
}

TEST(AppDelegateTest, LaunchWithTrustInstallsOnePairOfGlobalMonitors) {
  AppHarness h;
  h.launch();
  EXPECT_NE(h.delegate->flagsMonitor, nullptr);
  EXPECT_NE(h.delegate->keyMonitor, nullptr);
  h.delegate->startGlobalMonitoring();
  h.delegate->startGlobalMonitoring();
  EXPECT_EQ(h.fake.events.globalAttempts(), 2u);
  EXPECT_EQ(h.fake.events.globalMonitorCount(kEventMaskFlagsChanged), 1u);
  EXPECT_EQ(h.fake.events.globalMonitorCount(kEventMaskKeyDown), 1u);
}

TEST(AppDelegateTest, AFailedGlobalInstallationIsRetriedNextTime) {
  AppHarness h(false);
  h.launch();
  h.delegate->startGlobalMonitoring();  // refused: no token
  EXPECT_EQ(h.delegate->flagsMonitor, nullptr);
  EXPECT_EQ(h.fake.events.globalAttempts(), 2u);
  h.fake.events.setGlobalMonitorsAvailable(true);
  h.delegate->startGlobalMonitoring();
  EXPECT_NE(h.delegate->flagsMonitor, nullptr);
  EXPECT_EQ(h.fake.events.globalAttempts(), 4u);
}

TEST(AppDelegateTest, LocalMonitorsDriveTheHoldAndPassEventsOnUnchanged) {
  AppHarness h(false);
  h.launch();
  h.bringToFront(42, "Tavrine", "Tavrine\n  Quit Tavrine  [⌘Q]\n");
  auto command =
      std::make_shared<doubles::ScriptedEvent>(kEventMaskFlagsChanged, modifier::kCommand);
  h.fake.workspace.setModifierFlags(modifier::kCommand);
  EXPECT_EQ(h.fake.events.deliver(Scope::local, command), command);
  auto key = std::make_shared<doubles::ScriptedEvent>(kEventMaskKeyDown, modifier::kCommand);
  EXPECT_EQ(h.fake.events.deliver(Scope::local, key), key);
  EXPECT_EQ(h.delegate->commandPressTimer, nullptr);

  h.fake.events.deliver(Scope::local, command);
  h.fake.runLoop.advance(0.5);
  ASSERT_NE(h.shownPanel(), nullptr);  // this program's own menus are read like any other's
  EXPECT_EQ(h.shownPanel()->settings.content->appName(), "Tavrine");

  // Global events do not reach an untrusted process.
  h.fake.events.flagsChanged(Scope::global, 0);
  EXPECT_NE(h.shownPanel(), nullptr);
}

}  // namespace
}  // namespace tavrine
