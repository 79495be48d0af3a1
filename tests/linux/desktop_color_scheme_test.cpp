// SPDX-License-Identifier: MIT
// The desktop's light/dark preference: a stand-in settings portal on the test's session bus,
// read at start and followed; GNOME's setting in a memory backend; KDE's file.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "backends/linux/dbus/appearance_portal.h"
#include "backends/linux/xdg/desktop_color_scheme.h"
#include "bus_peer.h"
#include "test_servers.h"

namespace tavrine {
namespace {

using namespace std::chrono_literals;
using dbus::AppearancePortal;
using dbus::ColorScheme;

bool pump(dbus::SessionBus& bus, std::vector<doubles::BusPeer*> peers,
          const std::function<bool()>& done) {
  for (const auto until = std::chrono::steady_clock::now() + 3s;
       std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(1ms)) {
    for (doubles::BusPeer* peer : peers)
      peer->process();
    bus.processPending();
    if (done()) return true;
  }
  return false;
}

TEST(AppearancePortalTest, ReadsThePreferenceAndFollowsOnlyThePortalsChanges) {
  if (doubles::sessionBusAddress().empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  doubles::BusPeer portal([](const doubles::Call& call) -> sd_bus_message* {
    if (call.member != "ReadOne") return doubles::error(call);
    return doubles::reply(call, "v", "u", 1U);
  });
  doubles::BusPeer impostor;
  ASSERT_EQ(portal.join(doubles::sessionBusAddress()), 0);
  ASSERT_TRUE(portal.own(0, AppearancePortal::kService));
  ASSERT_EQ(impostor.join(doubles::sessionBusAddress()), 0);

  dbus::SessionBus bus(doubles::sessionBusAddress());
  AppearancePortal reader(bus);
  std::vector<std::optional<ColorScheme>> heard;
  ASSERT_TRUE(reader.start([&](std::optional<ColorScheme> s) { heard.push_back(s); }));
  ASSERT_TRUE(pump(bus, {&portal}, [&] { return reader.scheme() == ColorScheme::dark; }));

  const auto change = [](doubles::BusPeer& from, const char* key, std::uint32_t value) {
    from.sendSignal(0, "", AppearancePortal::kPath, AppearancePortal::kInterface, "SettingChanged",
                    "ssv", "org.freedesktop.appearance", key, "u", value);
  };
  change(impostor, "color-scheme", 2);
  change(portal, "accent-color", 2);
  change(portal, "color-scheme", 2);
  ASSERT_TRUE(pump(bus, {&portal, &impostor}, [&] { return heard.size() >= 2; }));
  EXPECT_EQ(heard,
            (std::vector<std::optional<ColorScheme>>{ColorScheme::dark, ColorScheme::light}));
}

TEST(DesktopColorSchemeTest, GnomesSettingIsReadAndFollowed) {
  setenv("GSETTINGS_BACKEND", "memory", 1);
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  GSettingsSchema* schema =
      source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE)
             : nullptr;
  if (schema == nullptr || !g_settings_schema_has_key(schema, "color-scheme"))
    GTEST_SKIP() << "GNOME's desktop schemas are not installed";
  g_settings_schema_unref(schema);
  GSettings* gnome = g_settings_new("org.gnome.desktop.interface");
  xdg::DesktopColorScheme scheme(Desktop::gnome, "");
  int changes = 0;
  scheme.onChanged([&] { ++changes; });
  for (const auto& [value, dark] : {std::pair<const char*, std::optional<bool>>{"default", {}},
                                    {"prefer-dark", true},
                                    {"prefer-light", false}}) {
    g_settings_set_string(gnome, "color-scheme", value);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_EQ(scheme.prefersDark(), dark) << value;
  }
  EXPECT_GE(changes, 2);
  g_object_unref(gnome);
}

TEST(DesktopColorSchemeTest, KdeGlobalsSayDarkByNameOrByTheWindowsBackground) {
  const std::pair<const char*, std::optional<bool>> cases[] = {
      {"[General]\nColorScheme=BreezeDark\n", true},
      {"[General]\nColorScheme=Breeze\n[Colors:Window]\nBackgroundNormal=239,240,241\n", false},
      {"[General]\nColorScheme=Mine\n[Colors:Window]\nBackgroundNormal=32,35,38\n", true},
      {"[General]\nColorScheme=Breeze\n", std::nullopt},
      {"not a key file", std::nullopt},
  };
  for (const auto& [text, dark] : cases)
    EXPECT_EQ(xdg::kdePrefersDark(text), dark) << text;
}

}  // namespace
}  // namespace tavrine
