// SPDX-License-Identifier: MIT
// The desktop's own shortcuts as the user set them: GNOME's from a private GSettings backend,
// KDE's from a kglobalshortcutsrc fixture, Xfce's from a stand-in xfconf on a private bus; each
// followed when it changes.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

#include "backends/linux/dbus/xfconf_shortcuts.h"
#include "backends/linux/gnome/gsettings_bindings.h"
#include "backends/linux/xdg/file_watch.h"
#include "bus_peer.h"
#include "keys/accelerator_chord.h"
#include "sources/desktop/global_shortcuts.h"
#include "sources/desktop/xfce_shortcuts.h"
#include "support/golden_cases.h"
#include "test_servers.h"

namespace tavrine {
namespace {

using H = SystemHeading;
using Row = std::tuple<std::string, H, KeyChord>;  // title, heading, chord

Row row(const std::string& title, H heading, std::string_view keys) {
  return {title, heading, *keys::chordOfAccelerator(keys)};
}

std::vector<Row> rowsOf(const std::vector<DesktopBinding>& bindings) {
  std::vector<Row> out;
  for (const DesktopBinding& b : bindings)
    out.emplace_back(b.title, b.heading, b.chord);
  return out;
}

const DesktopBinding* titled(const std::vector<DesktopBinding>& bindings, std::string_view title) {
  for (const DesktopBinding& b : bindings)
    if (b.title == title) return &b;
  return nullptr;
}

// Whether the bindings heard last give `title` the chord `keys`.
std::function<bool()> bound(const std::vector<std::vector<DesktopBinding>>& heard,
                            std::string_view title, std::string_view keys) {
  return [&heard, title, keys] {
    const DesktopBinding* b = heard.empty() ? nullptr : titled(heard.back(), title);
    return b && b->chord == *keys::chordOfAccelerator(keys);
  };
}

// Runs GLib's main context (and `step`) until `done` holds.
bool pumpUntil(const std::function<bool()>& done, const std::function<void()>& step = {}) {
  return doubles::eventually([&] {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    if (step) step();
    return done();
  });
}

TEST(DesktopShortcutsTest, GnomeBindingsAsRemappedWithCustomOnesAndFollowed) {
#ifndef TAVRINE_TEST_SCHEMAS
  GTEST_SKIP() << "GNOME's schemas are not installed";
#else
  setenv("GSETTINGS_SCHEMA_DIR", TAVRINE_TEST_SCHEMAS, 1);
  setenv("GSETTINGS_BACKEND", "memory", 1);
  GSettings* wm = g_settings_new("org.gnome.desktop.wm.keybindings");
  GSettings* media = g_settings_new("org.gnome.settings-daemon.plugins.media-keys");
  const char* const remapped[] = {"<Super>q", "<Alt>F4", nullptr};
  const char* const none[] = {nullptr};
  const char* const disabled[] = {"disabled", nullptr};
  g_settings_set_strv(wm, "close", remapped);
  g_settings_set_strv(wm, "minimize", none);
  g_settings_set_strv(wm, "maximize", disabled);
  const std::string base = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";
  const std::string terminal = base + "custom0/", unbound = base + "custom1/";
  const char* const customs[] = {terminal.c_str(), "no//path", unbound.c_str(), nullptr};
  g_settings_set_strv(media, "custom-keybindings", customs);
  const char* kCustom = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
  GSettings* custom0 = g_settings_new_with_path(kCustom, terminal.c_str());
  GSettings* custom1 = g_settings_new_with_path(kCustom, unbound.c_str());
  g_settings_set_string(custom0, "name", "Terminal");
  g_settings_set_string(custom0, "binding", "<Primary><Alt>t");
  g_settings_set_string(custom1, "name", "Nothing");

  std::vector<std::vector<DesktopBinding>> heard;
  gnome::GSettingsBindings bindings([&](const auto& b) { heard.push_back(b); });
  ASSERT_EQ(heard.size(), 1u);
  const auto& first = heard[0];
  for (const Row& expected : {row("Close window", H::window, "<Super>q"),
                              row("Switch to workspace 1", H::system, "<Super>Home"),
                              row("Terminal", H::general, "<Primary><Alt>t")}) {
    const DesktopBinding* b = titled(first, std::get<0>(expected));
    ASSERT_NE(b, nullptr) << std::get<0>(expected);
    EXPECT_EQ(Row(b->title, b->heading, b->chord), expected);
  }
  for (const char* absent : {"Minimize window", "Maximize window", "Nothing"})
    EXPECT_EQ(titled(first, absent), nullptr) << absent;
  if (std::filesystem::exists("/usr/share/locale/zh_CN/LC_MESSAGES/gsettings-desktop-schemas.mo")) {
    EXPECT_EQ(titled(first, "Close window")->titleZH, "关闭窗口");
  }

  const char* const again[] = {"<Super>w", nullptr};
  g_settings_set_strv(wm, "close", again);
  EXPECT_TRUE(pumpUntil(bound(heard, "Close window", "<Super>w")));
  g_settings_set_string(custom0, "binding", "<Super>t");
  EXPECT_TRUE(pumpUntil(bound(heard, "Terminal", "<Super>t")));
  for (GSettings* s : {wm, media, custom0, custom1})
    g_object_unref(s);
#endif
}

const std::filesystem::path kFixtures = TAVRINE_ATSPI_FIXTURES;

TEST(DesktopShortcutsTest, KdeGlobalShortcutsAsTheUserSetThem) {
  const auto bindings = readGlobalShortcuts(kFixtures / "kglobalshortcutsrc");
  const std::map<std::string, H> headings{
      {"window", H::window}, {"system", H::system}, {"general", H::general}};
  std::vector<Row> expected;
  for (const auto& r : doubles::caseRows(kFixtures / "kglobalshortcutsrc.tsv"))
    expected.push_back(row(r.at(0), headings.at(r.at(1)), r.at(2)));
  ASSERT_EQ(expected.size(), 9u);
  EXPECT_EQ(rowsOf(bindings), expected);
}

TEST(DesktopShortcutsTest, KdeFileFollowedWhenRewrittenOrReplaced) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("tavrine-kde-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const auto path = folder / "kglobalshortcutsrc";
  std::filesystem::copy_file(kFixtures / "kglobalshortcutsrc", path);
  std::vector<std::vector<DesktopBinding>> heard;
  xdg::FileWatch watch(path, [&] { heard.push_back(readGlobalShortcuts(path)); });
  std::ofstream(path) << "[ksmserver]\nLock Session=Meta+K,Meta+L,Lock Session\n";
  EXPECT_TRUE(pumpUntil(bound(heard, "Lock Session", "Meta+K")));
  // KConfig saves to a new file and renames it over the old one.
  std::ofstream(folder / "new") << "[ksmserver]\nLock Session=Ctrl+Alt+L,Meta+L,Lock Session\n";
  std::filesystem::rename(folder / "new", path);
  EXPECT_TRUE(pumpUntil(bound(heard, "Lock Session", "Ctrl+Alt+L")));
  std::filesystem::remove_all(folder);
}

// xfconf's side: the channel's properties, strings or booleans.
sd_bus_message* allProperties(const doubles::Call& call,
                              const std::map<std::string, std::string>& properties) {
  sd_bus_message* r = nullptr;
  sd_bus_message_new_method_return(call.message, &r);
  sd_bus_message_open_container(r, 'a', "{sv}");
  for (const auto& [name, value] : properties) {
    sd_bus_message_open_container(r, 'e', "sv");
    sd_bus_message_append(r, "s", name.c_str());
    if (name.ends_with("override") || name.ends_with("startup-notify"))
      sd_bus_message_append(r, "v", "b", value == "true");
    else
      sd_bus_message_append(r, "v", "s", value.c_str());
    sd_bus_message_close_container(r);
  }
  sd_bus_message_close_container(r);
  return r;
}

TEST(DesktopShortcutsTest, XfceShortcutsFromXfconfAndFollowed) {
  if (doubles::sessionBusAddress().empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  std::mutex mutex;
  std::map<std::string, std::string> properties = {
      {"/xfwm4/custom/override", "true"},
      {"/xfwm4/custom/<Alt>F4", "close_window_key"},
      {"/xfwm4/custom/<Alt>Tab", "cycle_windows_key"},
      {"/xfwm4/custom/<Alt>F11", ""},
      {"/xfwm4/default/<Alt>F9", "hide_window_key"},  // the custom copy is in force
      {"/commands/default/<Super>e", "thunar"},       // the default copy is
      {"/commands/default/<Super>e/startup-notify", "true"},
      {"/commands/custom/override", "false"},
      {"/commands/custom/<Super>r", "rofi"},
  };
  doubles::BusPeer xfconf([&](const doubles::Call& call) -> sd_bus_message* {
    const std::lock_guard lock(mutex);
    return call.member == "GetAllProperties" ? allProperties(call, properties)
                                             : doubles::error(call);
  });
  ASSERT_EQ(xfconf.join(doubles::sessionBusAddress()), 0);
  ASSERT_TRUE(xfconf.own(0, dbus::XfconfShortcuts::kName));
  xfconf.start();
  dbus::SessionBus bus(doubles::sessionBusAddress());
  std::vector<std::vector<DesktopBinding>> heard;
  dbus::XfconfShortcuts shortcuts(bus, [&](const auto& b) { heard.push_back(b); });
  const auto first = shortcuts.read();
  ASSERT_TRUE(first);
  EXPECT_EQ(rowsOf(*first), (std::vector<Row>{row("Close window", H::window, "<Alt>F4"),
                                              row("Cycle windows", H::system, "<Alt>Tab"),
                                              row("thunar", H::general, "<Super>e")}));
  {
    const std::lock_guard lock(mutex);
    properties.erase("/xfwm4/custom/<Alt>F4");
    properties["/xfwm4/custom/<Super>q"] = "close_window_key";
  }
  xfconf.sendSignal(0, "", dbus::XfconfShortcuts::kPath, dbus::XfconfShortcuts::kInterface,
                    "PropertyRemoved", "ss", kXfceShortcutsChannel, "/xfwm4/custom/<Alt>F4");
  EXPECT_TRUE(pumpUntil(bound(heard, "Close window", "<Super>q"), [&] { bus.processPending(); }));
}

}  // namespace
}  // namespace tavrine
