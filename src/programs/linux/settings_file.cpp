// SPDX-License-Identifier: MIT
#include "programs/linux/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <utility>

namespace tavrine::program {
namespace {

// Larger than any settings file a person writes: anything bigger is not read whole.
constexpr qint64 kMaxBytes = 1 << 20;

// The file's text, or nothing when there is no file to read.
std::optional<std::string> readText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = file.read(kMaxBytes);
  return bytes.toStdString();
}

}  // namespace

SettingsFile::SettingsFile(std::string path, ProblemTeller tellProblems)
    : path_(std::move(path)), tellProblems_(std::move(tellProblems)) {
  if (path_.empty()) return;
  // Editors save by writing a new file and renaming it over the old one: the folder sees that,
  // and the file itself is then watched anew.
  QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, &watcher_, [this] { reread(); });
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, &watcher_,
                   [this] { reread(); });
  reread();
}

void SettingsFile::watch() {
  const QString file = QString::fromStdString(path_);
  // The nearest folder that exists: a settings folder made later is seen from its parent.
  QString folder = QFileInfo(file).absolutePath();
  while (!QFileInfo(folder).isDir() && folder != QDir::rootPath())
    folder = QFileInfo(folder).absolutePath();
  const QStringList wanted =
      QFileInfo::exists(file) ? QStringList{folder, file} : QStringList{folder};
  QStringList stale = watcher_.files() + watcher_.directories();
  for (const QString& path : wanted)
    stale.removeAll(path);
  if (!stale.isEmpty()) watcher_.removePaths(stale);
  for (const QString& path : wanted) {
    if (!watcher_.files().contains(path) && !watcher_.directories().contains(path))
      watcher_.addPath(path);
  }
}

void SettingsFile::reread() {
  watch();
  const std::optional<std::string> text = readText(QString::fromStdString(path_));
  if (text.has_value() == exists_ && text.value_or("") == text_) return;
  exists_ = text.has_value();
  text_ = text.value_or("");
  settings::Reading reading = settings::parse(text_, path_);
  if (!reading.problems.empty() && tellProblems_) tellProblems_(reading.problems);
  publish(reading.settings);
}

void SettingsFile::publish(const settings::Settings& settings) {
  if (settings == current_) return;
  current_ = settings;
  // A subscriber may subscribe another: by index, over a copy of the settings.
  const settings::Settings now = current_;
  for (std::size_t i = 0; i < subscribers_.size(); ++i)
    subscribers_[i](now);
}

void SettingsFile::subscribe(Subscriber subscriber) {
  subscriber(current_);
  subscribers_.push_back(std::move(subscriber));
}

bool SettingsFile::save(const settings::Settings& settings, std::string* error) {
  const auto fail = [error](std::string why) {
    if (error != nullptr) *error = std::move(why);
    return false;
  };
  if (path_.empty())
    return fail("there is no settings folder (neither XDG_CONFIG_HOME nor HOME is set)");
  QString file = QString::fromStdString(path_);
  // A settings file linked from elsewhere (kept with other dotfiles) stays a link.
  if (QFileInfo(file).isSymLink()) file = QFileInfo(file).canonicalFilePath();
  // What the file says now, not when it was last read: an edit not yet seen is kept.
  const std::optional<std::string> before = readText(file);
  const std::string text = settings::write(before.value_or(""), settings);
  if (!QDir().mkpath(QFileInfo(file).absolutePath()))
    return fail("cannot make the folder of " + path_);
  QSaveFile out(file);
  const QByteArray bytes = QByteArray::fromStdString(text);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
    return fail("cannot write " + path_ + ": " + out.errorString().toStdString());
  exists_ = true;
  text_ = text;
  watch();
  publish(settings::parse(text_, path_).settings);
  return true;
}

}  // namespace tavrine::program
