// SPDX-License-Identifier: MIT
// The Settings window: a normal window that edits the user's settings, in the UI language of the
// moment, from the keyboard alone and through a screen reader. Edits are kept in the window until
// Apply (or Enter), which hands the whole record to the caller's save function at once: a delay
// typed digit by digit or a list edited item by item is never written half-done.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>

#include "i18n/translation_helper.h"
#include "model/desktop.h"
#include "settings/settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tavrine::qt {

class SettingsWindow final : public QDialog {
  Q_OBJECT

 public:
  // Writes the settings where they are kept; false when that failed.
  using Save = std::function<bool(const settings::Settings&)>;

  // `desktop` chooses the notes on keys the desktop uses alone. `t` must outlive the window.
  SettingsWindow(const settings::Settings& current, Save save, Desktop desktop,
                 TranslationHelper& t = TranslationHelper::shared(), QWidget* parent = nullptr);
  ~SettingsWindow() override;

  // Newer settings from elsewhere (the file changed on disk): shown, except the values the user
  // has changed here and not yet applied, which stay as the user left them.
  void showSettings(const settings::Settings& newer);

  // The record as the controls show it now (with an entry typed but not yet added).
  settings::Settings edited() const;
  // What the window last applied or was given.
  const settings::Settings& applied() const { return applied_; }

  // Saves the edited record; on failure the window says so and keeps the edits.
  bool apply();

  // The controls, for tests and screenshots.
  QRadioButton* triggerButton(settings::Trigger trigger) const;
  QSpinBox* holdDelay() const { return holdDelay_; }
  QListWidget* exclusions() const { return exclusions_; }
  QLineEdit* exclusionEntry() const { return exclusionEntry_; }
  QPushButton* addExclusion() const { return addExclusion_; }
  QPushButton* removeExclusion() const { return removeExclusion_; }
  QComboBox* placement() const { return placement_; }
  QComboBox* appearance() const { return appearance_; }
  QSpinBox* sizePercent() const { return size_; }
  QComboBox* language() const { return language_; }
  QCheckBox* startAtLogin() const { return startAtLogin_; }
  QPushButton* applyButton() const { return apply_; }
  QLabel* status() const { return status_; }

 private:
  enum class Status { none, saved, failed };

  void build();
  void retranslate();
  void load(const settings::Settings& s);
  void addEntry();
  void removeSelected();
  void setStatus(Status status);
  // The window's colours: the palette of the appearance applied, the panel's own choice.
  void applyAppearance(settings::Appearance appearance);

  Save save_;
  Desktop desktop_;
  TranslationHelper& t_;
  TranslationHelper::ObserverId languageObserver_ = 0;
  settings::Settings applied_;
  Status statusShown_ = Status::none;

  QGroupBox* triggerGroup_ = nullptr;
  QButtonGroup* triggers_ = nullptr;
  QRadioButton* primary_ = nullptr;
  QRadioButton* super_ = nullptr;
  QRadioButton* alt_ = nullptr;
  QLabel* superNote_ = nullptr;
  QLabel* altNote_ = nullptr;
  QLabel* holdDelayLabel_ = nullptr;
  QSpinBox* holdDelay_ = nullptr;
  QLabel* exclusionsLabel_ = nullptr;
  QListWidget* exclusions_ = nullptr;
  QLabel* exclusionEntryLabel_ = nullptr;
  QLineEdit* exclusionEntry_ = nullptr;
  QPushButton* addExclusion_ = nullptr;
  QPushButton* removeExclusion_ = nullptr;
  QLabel* placementLabel_ = nullptr;
  QComboBox* placement_ = nullptr;
  QLabel* appearanceLabel_ = nullptr;
  QComboBox* appearance_ = nullptr;
  QLabel* sizeLabel_ = nullptr;
  QSpinBox* size_ = nullptr;
  QLabel* languageLabel_ = nullptr;
  QComboBox* language_ = nullptr;
  QCheckBox* startAtLogin_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* close_ = nullptr;
};

// One Settings window at most: opening it again raises the one open. Settings that change while
// it is open are shown in it.
class SettingsWindowOpener {
 public:
  SettingsWindowOpener(settings::Settings current, SettingsWindow::Save save, Desktop desktop,
                       TranslationHelper& t = TranslationHelper::shared());
  ~SettingsWindowOpener();
  SettingsWindowOpener(const SettingsWindowOpener&) = delete;
  SettingsWindowOpener& operator=(const SettingsWindowOpener&) = delete;

  void open();
  // The settings in use changed (read again from the file, or saved from the window).
  void settingsChanged(const settings::Settings& current);
  // The window while it is open, else null.
  SettingsWindow* window() const { return window_.data(); }

 private:
  settings::Settings current_;
  SettingsWindow::Save save_;
  Desktop desktop_;
  TranslationHelper& t_;
  QPointer<SettingsWindow> window_;
};

}  // namespace tavrine::qt
