// SPDX-License-Identifier: MIT
#include "overlay/overlay_view.h"

#include <algorithm>
#include <utility>

#include "text/unicode.h"

namespace tavrine {

OverlayView::Subscription::Subscription(Subscription&& other) noexcept
    : t_(std::exchange(other.t_, nullptr)), id_(std::exchange(other.id_, 0)) {}

OverlayView::Subscription& OverlayView::Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    reset();
    t_ = std::exchange(other.t_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

OverlayView::Subscription::~Subscription() {
  reset();
}

void OverlayView::Subscription::reset() {
  if (t_ != nullptr) t_->unsubscribe(id_);
  t_ = nullptr;
  id_ = 0;
}

OverlayView::OverlayView(std::string appName, GroupedShortcuts groupedShortcuts,
                         TranslationHelper& t, OverlayStyle style,
                         const std::vector<ShortcutItem>& systemShortcuts, std::string appNameZH,
                         ImageRef icon)
    : appName_(std::move(appName)),
      appNameZH_(std::move(appNameZH)),
      icon_(std::move(icon)),
      groupedShortcuts_(std::move(groupedShortcuts)),
      t_(&t),
      style_(style),
      systemGroups_(groupByHeading(systemShortcuts)),
      desktopBindings_(std::make_shared<const DesktopBindings>(systemShortcuts)) {}

const std::string& OverlayView::appName() const {
  return t_->isZH() && !appNameZH_.empty() ? appNameZH_ : appName_;
}

std::string emptyReasonText(const EmptyReason& reason, bool isZH) {
  std::string line;
  switch (reason.menuBar) {
    case MenuBarState::unopened:
      line = isZH ? "它的菜单在打开之前是空的。" : "Its menus stay empty until they are opened.";
      break;
    case MenuBarState::noShortcuts:
      line = isZH ? "它的菜单里没有快捷键。" : "Its menus list no shortcuts.";
      break;
    case MenuBarState::unanswered:
      line = isZH ? "该应用没有及时回应。" : "The application did not answer in time.";
      break;
    case MenuBarState::notRead:
    case MenuBarState::noApplication:
    case MenuBarState::noMenuBar:
    case MenuBarState::shortcuts:
      line = isZH ? "未找到菜单栏或快捷键窗口。" : "No menu bar and no shortcuts window found.";
      break;
  }
  if (!reason.userSheet.empty()) {
    // The file is named after the application's program, which may hold any bytes: one line.
    std::string path = text::wellFormed(reason.userSheet);
    std::replace_if(
        path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, '?');
    line += (isZH ? " 它的快捷键表可以写在 " : " A sheet for it would go in ") + path;
  }
  return line;
}

std::string OverlayView::emptyReasonLine() const {
  return emptyReason_ ? emptyReasonText(*emptyReason_, t_->isZH()) : std::string();
}

std::string_view OverlayView::headerLabel() const {
  return t_->isZH() ? "快捷键" : "Keyboard Shortcuts";
}

std::string_view OverlayView::languageLabel() const {
  return t_->isZH() ? "中文" : "EN";
}

std::string_view OverlayView::separatorLabel() const {
  return t_->isZH() ? "系统快捷键" : "System Shortcuts";
}

const std::array<OverlayView::LanguageItem, 2>& OverlayView::languageItems() {
  static constexpr std::array<LanguageItem, 2> items = {{{"English", false}, {"中文", true}}};
  return items;
}

void OverlayView::choose(const LanguageItem& item) {
  t_->setIsZH(item.isZH);
}

std::string OverlayView::neverShowOverLabel() const {
  return t_->isZH() ? "不在" + appName() + "上显示" : "Never show over " + appName();
}

std::vector<const OverlayView::Group*> OverlayView::sortedGroups() const {
  std::vector<const Group*> groups;
  groups.reserve(groupedShortcuts_.size());
  for (const Group& group : groupedShortcuts_)
    groups.push_back(&group);
  // Keys are distinct under canonical equivalence, so this order is total.
  std::sort(groups.begin(), groups.end(),
            [](const Group* a, const Group* b) { return text::canonicalLess(a->first, b->first); });
  return groups;
}

std::size_t OverlayView::recordCount() const {
  std::size_t n = 0;
  for (const auto& [name, items] : groupedShortcuts_)
    n += items.size();
  return n;
}

int OverlayView::columnCount(std::size_t records) {
  const std::size_t columns = records / 8 + (records % 8 != 0 ? 1 : 0);
  return static_cast<int>(std::clamp<std::size_t>(columns, 1, kMaxAppColumns));
}

std::string OverlayView::appHeading(std::string_view menuName) const {
  return text::toUpperFull(t_->translateMenu(menuName));
}

ShortcutRow OverlayView::appRow(const ShortcutEntry& entry) const {
  ShortcutRow row{t_->translateCommand(entry.item.title()), entry.chords, style_.capStyle, {}};
  if (const ShortcutItem* binding = desktopBindings_->taking(entry))
    row.conflict = takenByTheDesktop(*binding, t_->isZH());
  return row;
}

std::string OverlayView::systemHeading(const ShortcutGroup& group) const {
  return text::toUpperFull(t_->isZH() && !group.headingZH.empty() ? group.headingZH
                                                                  : group.heading);
}

ShortcutRow OverlayView::systemRow(const ShortcutItem& item) const {
  return {t_->isZH() && !item.titleZH().empty() ? item.titleZH() : item.title(),
          {item.chord()},
          style_.capStyle,
          {}};
}

std::string OverlayView::spokenShortcuts(const ShortcutRow& row) const {
  std::string spoken = row.spokenShortcut(t_->translateCommand("or"));
  if (!row.conflict.empty()) spoken.append(t_->isZH() ? "，" : ", ").append(row.conflict);
  return spoken;
}

OverlayView OverlayView::narrowed(GroupedShortcuts groupedShortcuts,
                                  const std::vector<ShortcutItem>& systemShortcuts) const {
  OverlayView view(appName_, std::move(groupedShortcuts), *t_, style_, systemShortcuts, appNameZH_,
                   icon_);
  view.actions_ = actions_;
  // A search that leaves a desktop binding out of the system rows leaves it taking its chord.
  view.desktopBindings_ = desktopBindings_;
  view.emptyReason_ = emptyReason_;
  return view;
}

OverlayView::Subscription OverlayView::subscribeWillChange(std::function<void()> willChange) const {
  return Subscription(t_, t_->subscribe(std::move(willChange)));
}

}  // namespace tavrine
