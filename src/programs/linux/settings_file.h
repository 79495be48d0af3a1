// SPDX-License-Identifier: MIT
// The program's one copy of the user's settings: read from the settings file at start and again
// whenever the file changes on disk (written, created, replaced by an editor's rename, removed),
// handed to every subscriber. Problems with the file are said once per reading.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace tavrine::program {

class SettingsFile {
 public:
  using Subscriber = std::function<void(const settings::Settings&)>;
  // Told the problems of each reading that has any, one message each.
  using ProblemTeller = std::function<void(const std::vector<std::string>& problems)>;

  // Reads `path` at once (a missing file gives the defaults, without a word) and watches it.
  // An empty path: the defaults, nothing watched, nothing saved.
  SettingsFile(std::string path, ProblemTeller tellProblems);
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  const settings::Settings& current() const { return current_; }
  const std::string& path() const { return path_; }

  // Runs `subscriber` now with the current settings and again after every change.
  void subscribe(Subscriber subscriber);

  // Writes `settings` into the file, keeping the user's comments, order and other keys (the file
  // and its folder are created when missing), and tells the subscribers. False, with the reason
  // in `error`, when the file cannot be written; the settings in use then stay as they were.
  bool save(const settings::Settings& settings, std::string* error = nullptr);

 private:
  // Reads the file again; tells the subscribers when the settings changed.
  void reread();
  void watch();
  void publish(const settings::Settings& settings);

  std::string path_;
  ProblemTeller tellProblems_;
  settings::Settings current_;
  // The text last read (empty for no file): an unchanged file is not read again, so one edit
  // that the watcher reports twice says its problems once.
  std::string text_;
  bool exists_ = false;
  std::vector<Subscriber> subscribers_;
  QFileSystemWatcher watcher_;
};

}  // namespace tavrine::program
