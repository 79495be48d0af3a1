// SPDX-License-Identifier: MIT
#include "programs/linux/settings_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

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

// The file created, edited, replaced by a rename and removed while the program runs: each
// reaches the subscribers, and each reading's problems are said once.
TEST(SettingsFileTest, FollowsTheFileOnDisk) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("tavrine/settings.toml"));
  std::vector<std::string> told;
  SettingsFile file(path.toStdString(), [&](const std::vector<std::string>& problems) {
    told.insert(told.end(), problems.begin(), problems.end());
  });
  std::vector<int> delays;
  file.subscribe([&](const settings::Settings& s) { delays.push_back(s.holdDelayMs); });
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tavrine")));
  put(path, "hold_delay_ms = 200\nsize_percent = 2\n");
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return delays.size() == 2; }));
  // Another file in the folder: the settings are not read again, nor their problems said again.
  put(dir.filePath(QStringLiteral("tavrine/other")), "x");
  doubles::runEventLoopUntil([] { return false; }, std::chrono::milliseconds(300));
  put(path + ".new", "hold_delay_ms = 900\n");
  ASSERT_TRUE(std::rename((path + ".new").toUtf8(), path.toUtf8()) == 0);
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return delays.size() == 3; }));
  put(path, "hold_delay_ms = 300\n");  // the replaced file is watched too
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return delays.size() == 4; }));
  QFile::remove(path);
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return delays.size() == 5; }));
  EXPECT_EQ(delays, (std::vector<int>{500, 200, 900, 300, 500}));
  ASSERT_EQ(told.size(), 1U);
  EXPECT_NE(told[0].find("settings.toml:2: size_percent = 2"), std::string::npos) << told[0];

  // Saved: the user's text kept, the subscribers told.
  put(path, "# mine\ncolour = 1\n");
  ASSERT_TRUE(doubles::runEventLoopUntil([&] { return told.size() == 2; }));
  settings::Settings s;
  s.holdDelayMs = 250;
  ASSERT_TRUE(file.save(s));
  EXPECT_EQ(delays.back(), 250);
  QFile saved(path);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), "# mine\ncolour = 1\nhold_delay_ms = 250\n");
}

// The language chosen in the status menu is written to the file, and the file's language is used.
TEST(SettingsFileTest, TheLanguageGoesBothWays) {
  QTemporaryDir dir;
  const bool hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
  const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());  // the autostart entry's folder
  const QString path = dir.filePath(QStringLiteral("settings.toml"));
  SettingsFile file(path.toStdString(), nullptr);
  doubles::AppHarness h;
  QObject context;
  applySettings(file, h.delegate, h.t, context);
  h.delegate->setLanguageZH();
  ASSERT_TRUE(doubles::runEventLoopUntil(
      [&] { return file.current().language == settings::Language::chinese; }));
  QFile written(path);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), "language = \"zh\"\n");
  put(path, "language = \"en\"\n");
  EXPECT_TRUE(doubles::runEventLoopUntil([&] { return !h.t.isZH(); }));
  if (hadConfigHome) {
    qputenv("XDG_CONFIG_HOME", configHome);
  } else {
    qunsetenv("XDG_CONFIG_HOME");
  }
}

// The autostart entry: written when asked for; at start only Tavrine's own entry is removed.
TEST(SettingsFileTest, StartAtLoginWritesAndRemovesTheEntry) {
  QTemporaryDir dir;
  const std::filesystem::path entry =
      autostartEntryPath(dir.path().toUtf8().constData(), "/home/x");
  EXPECT_EQ(entry.filename(), "io.github.tavrine.Tavrine.desktop");
  followStartAtLogin(entry, true, false);
  std::ifstream written(entry);
  std::string text((std::istreambuf_iterator<char>(written)), {});
  EXPECT_NE(text.find("[Desktop Entry]"), std::string::npos);
  EXPECT_NE(text.find("\nExec="), std::string::npos);
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
