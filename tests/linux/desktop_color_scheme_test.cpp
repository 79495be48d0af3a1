// SPDX-License-Identifier: MIT
// Light or dark where no portal answers: GNOME's setting (in memory), KDE's file.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "backends/linux/xdg/desktop_color_scheme.h"

namespace tavrine {
namespace {

TEST(DesktopColorSchemeTest, GnomesSettingIsReadAndFollowed) {
  setenv("GSETTINGS_BACKEND", "memory", 1);
  GSettingsSchema* schema = g_settings_schema_source_lookup(g_settings_schema_source_get_default(),
                                                            "org.gnome.desktop.interface", TRUE);
  if (schema == nullptr || !g_settings_schema_has_key(schema, "color-scheme"))
    GTEST_SKIP() << "GNOME's desktop schemas are not installed";
  GSettings* gnome = g_settings_new_full(schema, nullptr, nullptr);
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
  g_settings_schema_unref(schema);
}

TEST(DesktopColorSchemeTest, KdeGlobalsSayDarkByNameOrByTheWindowsBackground) {
  const std::pair<const char*, std::optional<bool>> cases[] = {
      {"[General]\nColorScheme=BreezeDark\n", true},
      {"[General]\nColorScheme=Breeze\n[Colors:Window]\nBackgroundNormal=239,240,241\n", false},
      {"[General]\nColorScheme=Mine\n[Colors:Window]\nBackgroundNormal=32,35,38\n", true},
      {"not a key file", std::nullopt},
  };
  for (const auto& [text, dark] : cases)
    EXPECT_EQ(xdg::kdePrefersDark(text), dark) << text;
}

}  // namespace
}  // namespace tavrine
