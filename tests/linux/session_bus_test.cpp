// SPDX-License-Identifier: MIT
// Trust, the one-instance guard and desktop notifications against a real session bus
// (dbus-daemon) and the real accessibility bus launcher (at-spi2-core), started by the test in a
// directory of its own.
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "backends/linux/dbus/a11y_bus_trust.h"
#include "backends/linux/dbus/desktop_notification.h"
#include "backends/linux/dbus/session_bus.h"
#include "backends/linux/dbus/single_instance.h"
#include "backends/linux/x11/workspace.h"
#include "test_servers.h"
#include "x_fixture.h"

namespace tavrine {
namespace {

using namespace std::chrono_literals;
using dbus::SessionBus;
using dbus::SingleInstance;
using Claim = SingleInstance::Claim;

constexpr const char* kLauncher = "/usr/libexec/at-spi-bus-launcher";

// Starts the launcher through bus activation, waiting as long as that takes (the program's calls
// would give up after 200 ms).
bool startLauncher(SessionBus& bus) {
  return access(kLauncher, X_OK) == 0 &&
         sd_bus_call_method(bus.connection(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                            "org.freedesktop.DBus", "StartServiceByName", nullptr, nullptr, "su",
                            "org.a11y.Bus", 0U) >= 0;
}

std::string accessibilityBusAddress(SessionBus& bus) {
  sd_bus_message* reply = nullptr;
  const char* address = "";
  sd_bus_call_method(bus.connection(), "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                     "GetAddress", nullptr, &reply, "");
  if (reply != nullptr) sd_bus_message_read(reply, "s", &address);
  const std::string result = address;
  sd_bus_message_unref(reply);
  return result;
}

TEST(A11yBusTrustTest, NotTrustedWithoutASessionBus) {
  SessionBus bus("unix:path=/nonexistent/tavrine-test-bus");
  dbus::A11yBusTrust trust(bus);
  EXPECT_FALSE(trust.isProcessTrusted());
  EXPECT_FALSE(trust.isProcessTrustedWithPrompt());
}

TEST(A11yBusTrustTest, AskingSwitchesTheAccessibilityBusOnAndPublishesItsAddress) {
  doubles::XFixture x;
  if (doubles::sessionBusAddress().empty() || !x.isOpen())
    GTEST_SKIP() << "dbus-daemon or Xvfb is not installed";
  SessionBus bus(doubles::sessionBusAddress());
  if (!startLauncher(bus)) GTEST_SKIP() << "at-spi2-core's bus launcher is not installed";
  x11::X11Workspace workspace;
  dbus::A11yBusTrust trust(bus,
                           {[&] { return workspace.rootStringProperty("AT_SPI_BUS").has_value(); },
                            [&](const std::string& address) {
                              workspace.setRootStringProperty("AT_SPI_BUS", address);
                            }});
  x.deleteProperty(x.root(), "AT_SPI_BUS");

  EXPECT_FALSE(trust.isProcessTrusted()) << "switched off at first";
  EXPECT_FALSE(trust.isProcessTrustedWithPrompt()) << "reports the trust before";
  EXPECT_TRUE(trust.isProcessTrusted()) << "switched on by asking";
  EXPECT_EQ(workspace.rootStringProperty("AT_SPI_BUS"), accessibilityBusAddress(bus));

  // An address published by someone else stays.
  x.setBytes(x.root(), "AT_SPI_BUS", "STRING", "unix:path=/elsewhere");
  EXPECT_TRUE(trust.isProcessTrustedWithPrompt());
  EXPECT_EQ(workspace.rootStringProperty("AT_SPI_BUS"), "unix:path=/elsewhere");
  x.deleteProperty(x.root(), "AT_SPI_BUS");
}

TEST(SingleInstanceTest, ALockFileStandsInWithoutASessionBus) {
  const std::string lock = doubles::makeTemporaryDirectory() + "/tavrine.lock";
  SessionBus noBus("unix:path=/nonexistent/tavrine-test-bus");
  auto first = std::make_unique<SingleInstance>();
  EXPECT_EQ(first->claim(noBus, "io.github.tavrine.Test", lock), Claim::first);
  SingleInstance second;
  EXPECT_EQ(second.claim(noBus, "io.github.tavrine.Test", lock), Claim::alreadyRunning);
  first.reset();
  SingleInstance third;
  EXPECT_EQ(third.claim(noBus, "io.github.tavrine.Test", lock), Claim::first);

  // A link planted at the lock's path (in a shared /tmp) is never followed.
  const std::string dir = doubles::makeTemporaryDirectory();
  ASSERT_EQ(symlink((dir + "/target").c_str(), (dir + "/planted.lock").c_str()), 0);
  EXPECT_EQ(SingleInstance().claim(noBus, "io.github.tavrine.Test", dir + "/planted.lock"),
            Claim::first);
  EXPECT_NE(access((dir + "/target").c_str(), F_OK), 0) << "created through the link";
}

TEST(NoTrayNoticeTest, NamesTheExtensionAndOffersAccessibilityOnlyWhileOff) {
  const dbus::NoTrayNotice off = dbus::noTrayNotice(false);
  EXPECT_NE(off.body.find("AppIndicator"), std::string::npos);
  ASSERT_EQ(off.actions.size(), 1u);
  EXPECT_EQ(off.actions[0].key, "accessibility");
  EXPECT_EQ(off.actions[0].label, "Turn on accessibility");
  EXPECT_TRUE(dbus::noTrayNotice(true).actions.empty());
}

}  // namespace
}  // namespace tavrine
