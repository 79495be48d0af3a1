// SPDX-License-Identifier: MIT
#include "shell/settings/settings_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace tavrine::qt {
namespace {

using settings::Appearance;
using settings::Language;
using settings::Placement;
using settings::Settings;
using settings::Trigger;

// A text in both UI languages; "&" marks the mnemonic.
struct Text {
  const char* en;
  const char* zh;
};

#ifdef Q_OS_MACOS
constexpr Text kPrimaryKey{"&Command", "&Command"};
#else
constexpr Text kPrimaryKey{"&Ctrl", "&Ctrl"};
#endif
constexpr Text kTitle{"Tavrine Settings", "Tavrine 设置"};
constexpr Text kTriggerGroup{"Key to hold", "按住的键"};
constexpr Text kTriggerDescription{"Holding this key alone shows the shortcuts panel.",
                                   "单独按住此键时显示快捷键面板。"};
constexpr Text kSuper{"&Super", "&Super"};
constexpr Text kAlt{"A&lt", "A&lt"};
constexpr Text kSuperNoteGnome{"GNOME opens the Activities overview when Super is pressed alone.",
                               "GNOME 在单独按下 Super 时打开活动概览。"};
constexpr Text kSuperNoteKde{
    "KDE Plasma opens the application launcher when Super is pressed alone.",
    "KDE Plasma 在单独按下 Super 时打开应用程序启动器。"};
constexpr Text kAltNote{"Alt alone shows the menu mnemonics in many applications.",
                        "在许多应用程序中，单独按下 Alt 会显示菜单助记符。"};
constexpr Text kHoldDelay{"Hold &delay:", "按住时长(&D)："};
constexpr Text kHoldDelayDescription{
    "How long the key is held before the panel shows, 150 to 3000 "
    "milliseconds.",
    "按住多久后显示面板，150 至 3000 毫秒。"};
constexpr Text kMilliseconds{" ms", " 毫秒"};
constexpr Text kExclusions{"&Never show over:", "从不显示于(&N)："};
constexpr Text kExclusionsDescription{"Applications over which the panel never shows.",
                                      "面板从不在这些应用程序上显示。"};
constexpr Text kEntry{"Desktop &id or window class:", "桌面 ID 或窗口类(&I)："};
constexpr Text kEntryDescription{"For example org.gnome.gedit or Gimp",
                                 "例如 org.gnome.gedit 或 Gimp"};
constexpr Text kAdd{"&Add", "添加(&A)"};
constexpr Text kAddDescription{"Adds the application typed to the list.",
                               "将输入的应用程序添加到列表。"};
constexpr Text kRemove{"&Remove", "移除(&R)"};
constexpr Text kRemoveDescription{"Removes the selected application from the list.",
                                  "从列表中移除所选应用程序。"};
constexpr Text kPlacement{"Sho&w on:", "显示于(&W)："};
constexpr Text kPlacementDescription{"The screen the panel appears on.", "面板出现的屏幕。"};
constexpr Text kPlacements[] = {{"The front application's screen", "前台应用程序所在的屏幕"},
                                {"The screen under the pointer", "指针所在的屏幕"},
                                {"The primary screen", "主屏幕"}};
constexpr Text kAppearance{"Appearanc&e:", "外观(&E)："};
constexpr Text kAppearanceDescription{"The panel's colours, and this window's.",
                                      "面板及本窗口的配色。"};
constexpr Text kAppearances[] = {
    {"Follow the desktop", "跟随桌面"}, {"Light", "浅色"}, {"Dark", "深色"}};
constexpr Text kSize{"Si&ze:", "大小(&Z)："};
constexpr Text kSizeDescription{"The panel's size, 80 to 150 percent.",
                                "面板的大小，80% 至 150%。"};
constexpr Text kLanguage{"Lan&guage:", "语言(&G)："};
constexpr Text kLanguageDescription{"The language of Tavrine's own texts.", "Tavrine 界面的语言。"};
constexpr Text kStartAtLogin{"S&tart at login", "登录时启动(&T)"};
constexpr Text kStartAtLoginDescription{"Starts Tavrine when you log in.",
                                        "登录时自动启动 Tavrine。"};
constexpr Text kApply{"A&pply", "应用(&P)"};
constexpr Text kApplyDescription{"Saves the settings and puts them into use.",
                                 "保存设置并立即生效。"};
constexpr Text kClose{"Cl&ose", "关闭(&O)"};
constexpr Text kSaved{"Settings saved.", "设置已保存。"};
constexpr Text kSaveFailed{"The settings could not be saved; nothing was changed.",
                           "无法保存设置；未做任何更改。"};

// The language names are each in their own language, whatever the UI's.
const char* const kLanguageNames[] = {"English", "中文"};

// The text without its mnemonic marker, for accessible names.
QString plain(QString text) {
  const int open = static_cast<int>(text.indexOf(QLatin1String("(&")));
  if (open >= 0) text.remove(open, 4);
  text.remove(QLatin1Char('&'));
  if (text.endsWith(QLatin1Char(':')) || text.endsWith(QChar(0xFF1A))) text.chop(1);
  return text;
}

void name(QWidget* widget, const QString& label, const QString& description) {
  widget->setAccessibleName(plain(label));
  widget->setAccessibleDescription(description);
}

QPalette darkPalette() {
  const QColor window(45, 45, 48);
  // Fields lighter than the window: Fusion outlines its indicators in a darker window colour.
  const QColor base(58, 58, 62);
  const QColor text(230, 230, 230);
  const QColor disabled(130, 130, 130);
  const QColor highlight(64, 128, 214);
  QPalette p;
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::ToolTipBase, base);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, disabled);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, QColor(66, 66, 70));
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, Qt::white);
  p.setColor(QPalette::Light, QColor(80, 80, 84));
  p.setColor(QPalette::Midlight, QColor(70, 70, 74));
  p.setColor(QPalette::Mid, QColor(50, 50, 54));
  p.setColor(QPalette::Dark, QColor(25, 25, 27));
  p.setColor(QPalette::Shadow, Qt::black);
  p.setColor(QPalette::Highlight, highlight);
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(110, 170, 250));
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, disabled);
  return p;
}

}  // namespace

SettingsWindow::SettingsWindow(const Settings& current, Save save, Desktop desktop,
                               TranslationHelper& t, QWidget* parent)
    : QDialog(parent), save_(std::move(save)), desktop_(desktop), t_(t), applied_(current) {
  build();
  retranslate();
  load(current);
  applyAppearance(current.appearance);
  // Told before the language changes: the texts follow once it has.
  languageObserver_ =
      t_.subscribe([this] { QTimer::singleShot(0, this, [this] { retranslate(); }); });
}

SettingsWindow::~SettingsWindow() {
  t_.unsubscribe(languageObserver_);
}

void SettingsWindow::build() {
  auto* layout = new QVBoxLayout(this);

  triggerGroup_ = new QGroupBox(this);
  auto* triggerLayout = new QVBoxLayout(triggerGroup_);
  triggers_ = new QButtonGroup(this);
  primary_ = new QRadioButton(triggerGroup_);
  super_ = new QRadioButton(triggerGroup_);
  superNote_ = new QLabel(triggerGroup_);
  alt_ = new QRadioButton(triggerGroup_);
  altNote_ = new QLabel(triggerGroup_);
  triggers_->addButton(primary_, static_cast<int>(Trigger::primary));
  triggers_->addButton(super_, static_cast<int>(Trigger::super));
  triggers_->addButton(alt_, static_cast<int>(Trigger::alt));
  for (QLabel* note : {superNote_, altNote_}) {
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    // Under its radio button's text.
    note->setContentsMargins(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                                 style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing),
                             0, 0, 4);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{primary_, super_, superNote_, alt_, altNote_})
    triggerLayout->addWidget(w);
  layout->addWidget(triggerGroup_);

  auto* form = new QFormLayout;
  holdDelayLabel_ = new QLabel(this);
  holdDelay_ = new QSpinBox(this);
  holdDelay_->setRange(Settings::kMinHoldDelayMs, Settings::kMaxHoldDelayMs);
  holdDelay_->setSingleStep(50);
  holdDelayLabel_->setBuddy(holdDelay_);
  form->addRow(holdDelayLabel_, holdDelay_);
  // The fields as wide as their values: a delay field across the window reads as a text entry.
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  placementLabel_ = new QLabel(this);
  placement_ = new QComboBox(this);
  appearanceLabel_ = new QLabel(this);
  appearance_ = new QComboBox(this);
  for (int i = 0; i < 3; ++i) {
    placement_->addItem(QString());
    appearance_->addItem(QString());
  }
  sizeLabel_ = new QLabel(this);
  size_ = new QSpinBox(this);
  size_->setRange(Settings::kMinSizePercent, Settings::kMaxSizePercent);
  size_->setSingleStep(5);
  size_->setSuffix(QStringLiteral(" %"));
  languageLabel_ = new QLabel(this);
  language_ = new QComboBox(this);
  for (const char* languageName : kLanguageNames)
    language_->addItem(QString::fromUtf8(languageName));
  const std::pair<QLabel*, QWidget*> rows[] = {{placementLabel_, placement_},
                                               {appearanceLabel_, appearance_},
                                               {sizeLabel_, size_},
                                               {languageLabel_, language_}};
  for (const auto& [label, field] : rows) {
    label->setBuddy(field);
    form->addRow(label, field);
  }
  layout->addLayout(form);
  startAtLogin_ = new QCheckBox(this);
  layout->addWidget(startAtLogin_);

  exclusionsLabel_ = new QLabel(this);
  exclusions_ = new QListWidget(this);
  // Room for a handful of entries; more scroll.
  exclusions_->setFixedHeight(fontMetrics().height() * 6);
  exclusionsLabel_->setBuddy(exclusions_);
  layout->addWidget(exclusionsLabel_);
  layout->addWidget(exclusions_);
  auto* entryRow = new QHBoxLayout;
  exclusionEntryLabel_ = new QLabel(this);
  exclusionEntry_ = new QLineEdit(this);
  exclusionEntry_->setMinimumWidth(fontMetrics().averageCharWidth() * 24);
  exclusionEntryLabel_->setBuddy(exclusionEntry_);
  addExclusion_ = new QPushButton(this);
  removeExclusion_ = new QPushButton(this);
  // Enter belongs to Apply, which adds what is typed too.
  for (QPushButton* b : {addExclusion_, removeExclusion_})
    b->setAutoDefault(false);
  entryRow->addWidget(exclusionEntryLabel_);
  entryRow->addWidget(exclusionEntry_, 1);
  entryRow->addWidget(addExclusion_);
  entryRow->addWidget(removeExclusion_);
  layout->addLayout(entryRow);
  connect(addExclusion_, &QPushButton::clicked, this, [this] { addEntry(); });
  connect(removeExclusion_, &QPushButton::clicked, this, [this] { removeSelected(); });
  auto updateRemove = [this] {
    removeExclusion_->setEnabled(exclusions_->currentItem() != nullptr);
  };
  connect(exclusions_, &QListWidget::currentItemChanged, this, updateRemove);

  status_ = new QLabel(this);
  status_->setWordWrap(true);
  layout->addWidget(status_);
  auto* buttons = new QDialogButtonBox(this);
  apply_ = buttons->addButton(QString(), QDialogButtonBox::ApplyRole);
  close_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
  apply_->setDefault(true);
  close_->setAutoDefault(false);
  connect(apply_, &QPushButton::clicked, this, [this] { apply(); });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void SettingsWindow::retranslate() {
  const bool zh = t_.isZH();
  auto tr = [zh](const Text& text) { return QString::fromUtf8(zh ? text.zh : text.en); };

  setWindowTitle(tr(kTitle));
  triggerGroup_->setTitle(tr(kTriggerGroup));
  name(triggerGroup_, tr(kTriggerGroup), tr(kTriggerDescription));
  const QString superNote = desktop_ == Desktop::gnome ? tr(kSuperNoteGnome)
                            : desktop_ == Desktop::kde ? tr(kSuperNoteKde)
                                                       : QString();
  const std::pair<QRadioButton*, QString> radios[] = {
      {primary_, QString()}, {super_, superNote}, {alt_, tr(kAltNote)}};
  const Text* radioTexts[] = {&kPrimaryKey, &kSuper, &kAlt};
  for (std::size_t i = 0; i < std::size(radios); ++i) {
    radios[i].first->setText(tr(*radioTexts[i]));
    name(radios[i].first, tr(*radioTexts[i]), radios[i].second);
  }
  superNote_->setText(superNote);
  superNote_->setVisible(!superNote.isEmpty());
  altNote_->setText(tr(kAltNote));

  const std::pair<QLabel*, QWidget*> fields[] = {{holdDelayLabel_, holdDelay_},
                                                 {exclusionsLabel_, exclusions_},
                                                 {exclusionEntryLabel_, exclusionEntry_},
                                                 {placementLabel_, placement_},
                                                 {appearanceLabel_, appearance_},
                                                 {sizeLabel_, size_},
                                                 {languageLabel_, language_}};
  const std::pair<Text, Text> fieldTexts[] = {
      {kHoldDelay, kHoldDelayDescription},   {kExclusions, kExclusionsDescription},
      {kEntry, kEntryDescription},           {kPlacement, kPlacementDescription},
      {kAppearance, kAppearanceDescription}, {kSize, kSizeDescription},
      {kLanguage, kLanguageDescription}};
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    fields[i].first->setText(tr(fieldTexts[i].first));
    name(fields[i].second, tr(fieldTexts[i].first), tr(fieldTexts[i].second));
  }
  holdDelay_->setSuffix(tr(kMilliseconds));
  exclusionEntry_->setPlaceholderText(tr(kEntryDescription));
  for (int i = 0; i < 3; ++i) {
    placement_->setItemText(i, tr(kPlacements[i]));
    appearance_->setItemText(i, tr(kAppearances[i]));
  }
  const std::pair<QAbstractButton*, std::pair<Text, Text>> buttons[] = {
      {addExclusion_, {kAdd, kAddDescription}},
      {removeExclusion_, {kRemove, kRemoveDescription}},
      {startAtLogin_, {kStartAtLogin, kStartAtLoginDescription}},
      {apply_, {kApply, kApplyDescription}},
      {close_, {kClose, kTitle}}};
  for (const auto& [button, texts] : buttons) {
    button->setText(tr(texts.first));
    name(button, tr(texts.first), button == close_ ? QString() : tr(texts.second));
  }
  setStatus(statusShown_);
}

void SettingsWindow::load(const Settings& s) {
  triggers_->button(static_cast<int>(s.trigger))->setChecked(true);
  holdDelay_->setValue(s.holdDelayMs);
  exclusions_->clear();
  for (const std::string& entry : s.neverShowOver)
    exclusions_->addItem(QString::fromStdString(entry));
  removeExclusion_->setEnabled(false);
  placement_->setCurrentIndex(static_cast<int>(s.placement));
  appearance_->setCurrentIndex(static_cast<int>(s.appearance));
  size_->setValue(s.sizePercent);
  language_->setCurrentIndex(static_cast<int>(s.language));
  startAtLogin_->setChecked(s.startAtLogin);
}

Settings SettingsWindow::edited() const {
  Settings s;
  s.trigger = static_cast<Trigger>(std::max(0, triggers_->checkedId()));
  s.holdDelayMs = holdDelay_->value();
  for (int i = 0; i < exclusions_->count(); ++i)
    s.neverShowOver.push_back(exclusions_->item(i)->text().toStdString());
  const std::string typed = exclusionEntry_->text().trimmed().toStdString();
  if (!typed.empty() &&
      std::find(s.neverShowOver.begin(), s.neverShowOver.end(), typed) == s.neverShowOver.end())
    s.neverShowOver.push_back(typed);
  s.placement = static_cast<Placement>(placement_->currentIndex());
  s.appearance = static_cast<Appearance>(appearance_->currentIndex());
  s.sizePercent = size_->value();
  s.language = static_cast<Language>(language_->currentIndex());
  s.startAtLogin = startAtLogin_->isChecked();
  return s;
}

void SettingsWindow::showSettings(const Settings& newer) {
  const Settings mine = edited();
  Settings shown = newer;
  // Each value the user changed and has not applied wins over the file's.
  if (mine.trigger != applied_.trigger) shown.trigger = mine.trigger;
  if (mine.holdDelayMs != applied_.holdDelayMs) shown.holdDelayMs = mine.holdDelayMs;
  if (mine.neverShowOver != applied_.neverShowOver) shown.neverShowOver = mine.neverShowOver;
  if (mine.placement != applied_.placement) shown.placement = mine.placement;
  if (mine.appearance != applied_.appearance) shown.appearance = mine.appearance;
  if (mine.sizePercent != applied_.sizePercent) shown.sizePercent = mine.sizePercent;
  if (mine.language != applied_.language) shown.language = mine.language;
  if (mine.startAtLogin != applied_.startAtLogin) shown.startAtLogin = mine.startAtLogin;
  const QString typed = exclusionEntry_->text();
  applied_ = newer;
  load(shown);
  exclusionEntry_->setText(typed);
  applyAppearance(newer.appearance);
}

bool SettingsWindow::apply() {
  const Settings s = edited();
  if (!save_ || !save_(s)) {
    setStatus(Status::failed);
    return false;
  }
  applied_ = s;
  exclusionEntry_->clear();
  load(s);
  applyAppearance(s.appearance);
  setStatus(Status::saved);
  return true;
}

void SettingsWindow::addEntry() {
  const QString typed = exclusionEntry_->text().trimmed();
  if (typed.isEmpty()) return;
  if (exclusions_->findItems(typed, Qt::MatchFixedString | Qt::MatchCaseSensitive).isEmpty())
    exclusions_->addItem(typed);
  exclusionEntry_->clear();
  exclusionEntry_->setFocus();
}

void SettingsWindow::removeSelected() {
  const int row = exclusions_->currentRow();
  if (row < 0) return;
  delete exclusions_->takeItem(row);
  removeExclusion_->setEnabled(exclusions_->currentItem() != nullptr);
  if (!removeExclusion_->isEnabled()) exclusions_->setFocus();
}

void SettingsWindow::setStatus(Status status) {
  statusShown_ = status;
  const bool zh = t_.isZH();
  const Text* text = status == Status::saved    ? &kSaved
                     : status == Status::failed ? &kSaveFailed
                                                : nullptr;
  status_->setText(text ? QString::fromUtf8(zh ? text->zh : text->en) : QString());
  status_->setAccessibleName(status_->text());
  QPalette p = status_->palette();
  p.setColor(QPalette::WindowText, status == Status::failed
                                       ? QColor(220, 50, 47)
                                       : palette().color(QPalette::WindowText));
  status_->setPalette(p);
  status_->setVisible(text != nullptr);
}

void SettingsWindow::applyAppearance(Appearance appearance) {
  switch (appearance) {
    case Appearance::dark:
      setPalette(darkPalette());
      break;
    case Appearance::light:
      setPalette(style()->standardPalette());
      break;
    case Appearance::followDesktop:
      setPalette(QApplication::palette());
      break;
  }
  setStatus(statusShown_);
}

QRadioButton* SettingsWindow::triggerButton(Trigger trigger) const {
  return static_cast<QRadioButton*>(triggers_->button(static_cast<int>(trigger)));
}

SettingsWindowOpener::SettingsWindowOpener(Settings current, SettingsWindow::Save save,
                                           Desktop desktop, TranslationHelper& t)
    : current_(std::move(current)), save_(std::move(save)), desktop_(desktop), t_(t) {}

SettingsWindowOpener::~SettingsWindowOpener() {
  delete window_.data();
}

void SettingsWindowOpener::open() {
  if (window_.isNull()) {
    window_ = new SettingsWindow(
        current_,
        [this](const Settings& s) {
          if (!save_ || !save_(s)) return false;
          current_ = s;
          return true;
        },
        desktop_, t_);
    window_->setAttribute(Qt::WA_DeleteOnClose);
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void SettingsWindowOpener::settingsChanged(const Settings& current) {
  current_ = current;
  if (!window_.isNull()) window_->showSettings(current);
}

}  // namespace tavrine::qt
