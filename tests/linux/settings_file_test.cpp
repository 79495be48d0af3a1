// SPDX-License-Identifier: MIT
#include "programs/linux/settings_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../shell/qt_event_loop.h"
#include "programs/linux/settings_effects.h"
#include "support/app_harness.h"

namespace tavrine::program {
namespace {

void put(const QString& path, const char* text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text);
}

std::string contents(const std::filesystem::path& path) {
  return (std::stringstream() << std::ifstream(path).rdbuf()).str();
}

// The file created in a folder made later, edited, replaced by a rename and removed while the
// program runs: each reaches the subscribers; each reading's problems are said once. The language
// goes both ways: the status menu's choice is written to the file, and the file's is used.
TEST(SettingsFileTest, FollowsTheFileOnDisk) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("tavrine/settings.toml"));
  std::vector<std::string> told;
  SettingsFile file(path.toStdString(), [&](const std::vector<std::string>& problems) {
    told.insert(told.end(), problems.begin(), problems.end());
  });
  std::vector<int> delays;
  file.subscribe([&](const settings::Settings& s) { delays.push_back(s.holdDelayMs); });
  const auto next = [&](const char* text, std::size_t count) {
    put(path, text);
    return doubles::runEventLoopUntil([&] { return delays.size() == count; });
  };
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tavrine")));
  ASSERT_TRUE(next("hold_delay_ms = 200\nsize_percent = 2\n", 2));
  put(dir.filePath(QStringLiteral("tavrine/other")), "");  // not a change of the settings
  doubles::runEventLoopUntil([] { return false; }, std::chrono::milliseconds(300));
  put(path + ".new", "hold_delay_ms = 900\n");
  ASSERT_EQ(std::rename((path + ".new").toUtf8(), path.toUtf8()), 0);
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return delays.size() == 3; }));
  ASSERT_TRUE(next("hold_delay_ms = 300\n", 4));  // the file put in by the rename is watched
  QFile::remove(path);
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return delays.size() == 5; }));
  EXPECT_EQ(delays, (std::vector<int>{500, 200, 900, 300, 500}));
  EXPECT_EQ(told.size(), 1U);  // size_percent = 2, once

  doubles::AppHarness h;
  QObject context;
  applySettings(file, h.delegate, h.t, context,
                dir.filePath(QStringLiteral("a.desktop")).toStdString());
  ASSERT_TRUE(next("# mine\nhold_delay_ms = 250\n", 6));
  h.delegate->setLanguageZH();
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return delays.size() == 7; }));
  EXPECT_EQ(contents(path.toStdString()), "# mine\nhold_delay_ms = 250\nlanguage = \"zh\"\n");
  put(path, "language = \"en\"\n");
  EXPECT_TRUE(doubles::runEventLoopUntil([&] { return !h.t.isZH(); }));
}

// The autostart entry: written when asked for; at start only Tavrine's own entry is removed.
TEST(SettingsFileTest, StartAtLoginWritesAndRemovesTheEntry) {
  QTemporaryDir dir;
  const std::filesystem::path entry = autostartEntryPath(dir.path().toUtf8().constData(), "/h");
  followStartAtLogin(entry, true, false);
  EXPECT_NE(contents(entry).find("[Desktop Entry]"), std::string::npos);
  followStartAtLogin(entry, false, true);
  EXPECT_FALSE(std::filesystem::exists(entry));
  std::ofstream(entry) << "[Desktop Entry]\nExec=tavrine\n";  // the user's own
  followStartAtLogin(entry, false, true);
  EXPECT_TRUE(std::filesystem::exists(entry));
  followStartAtLogin(entry, false, false);
  EXPECT_FALSE(std::filesystem::exists(entry));
}

}  // namespace
}  // namespace tavrine::program
