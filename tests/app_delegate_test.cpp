// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/app_harness.h"

namespace tavrine {
namespace {

using doubles::AppHarness;
using doubles::Scope;

TEST(AppDelegateTest, LaunchInstallsLocalMonitorsAndGlobalOnesOnlyWhenTrusted) {
  for (bool trusted : {false, true}) {
    SCOPED_TRACE(trusted);
    AppHarness h(trusted);
    EXPECT_EQ(h.fake.application.policies, std::vector{ActivationPolicy::accessory});
    EXPECT_EQ(h.delegate->statusItem, h.fake.statusBar.items.at(0));
    for (EventMask mask : {kEventMaskFlagsChanged, kEventMaskKeyDown}) {
      EXPECT_EQ(h.fake.events.monitorCount(Scope::local, mask), 1u);
      EXPECT_EQ(h.fake.events.monitorCount(Scope::global, mask), trusted ? 1u : 0u);
    }
    EXPECT_EQ(h.fake.events.globalAttempts, trusted ? 2u : 0u);
    EXPECT_EQ(h.delegate->flagsMonitor != nullptr, trusted);
    EXPECT_EQ(h.delegate->keyMonitor != nullptr, trusted);
    EXPECT_EQ(h.fake.trust.prompts, 0u);  // never asks at launch
  }
}

TEST(AppDelegateTest, GlobalMonitorsInstallOnceAndARefusalIsRetried) {
  AppHarness h(false);
  h.delegate->startGlobalMonitoring();  // refused: no token
  EXPECT_EQ(h.delegate->flagsMonitor, nullptr);
  h.setTrusted(true);
  for (int i = 0; i < 3; ++i)
    h.delegate->startGlobalMonitoring();
  EXPECT_EQ(h.fake.events.globalAttempts, 4u);
  EXPECT_EQ(h.fake.events.monitorCount(Scope::global, kEventMaskFlagsChanged), 1u);
  EXPECT_EQ(h.fake.events.monitorCount(Scope::global, kEventMaskKeyDown), 1u);
}

TEST(AppDelegateTest, LocalMonitorsDriveTheHoldAndPassEventsOnUnchanged) {
  AppHarness h(false);
  h.bringToFront(42, "Tavrine", "Tavrine\n  Quit Tavrine  [⌘Q]\n");
  h.fake.workspace.flags = modifier::kCommand;
  auto command =
      std::make_shared<doubles::ScriptedEvent>(kEventMaskFlagsChanged, modifier::kCommand);
  auto key = std::make_shared<doubles::ScriptedEvent>(kEventMaskKeyDown, modifier::kCommand);
  EXPECT_EQ(h.fake.events.deliver(Scope::local, command), command);
  EXPECT_EQ(h.fake.events.deliver(Scope::local, key), key);  // cancels the hold
  h.fake.runLoop.advance(1);
  EXPECT_EQ(h.panelsMade(), 0u);

  h.fake.events.deliver(Scope::local, command);
  h.fake.runLoop.advance(0.5);
  EXPECT_EQ(h.shownApp(), "Tavrine");  // this program's own menus are read like any other's
}

}  // namespace
}  // namespace tavrine
