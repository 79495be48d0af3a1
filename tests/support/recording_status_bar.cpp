#include "support/recording_status_bar.h"

#include <string>
#include <utility>
#include <vector>

namespace tavrine::doubles {

RecordingStatusItem::RecordingStatusItem(double itemLength, bool hasButton)
    : length(itemLength), button_(hasButton ? std::make_unique<RecordingButton>() : nullptr) {}

StatusItemRef RecordingStatusBar::statusItemWithLength(double length) {
  auto item = std::make_shared<RecordingStatusItem>(length, buttonsAvailable_);
  items_.push_back(item);
  return item;
}

ImageRef RecordingStatusBar::systemSymbolImage(std::string_view name,
                                               std::string_view description) {
  if (!symbolsAvailable_) return nullptr;
  return std::make_shared<SymbolImage>(std::string(name), std::string(description));
}

MenuRef RecordingStatusBar::menu() const {
  return items_.empty() ? nullptr : items_.front()->menu;
}

MenuRef RecordingStatusBar::open() {
  MenuRef m = menu();
  if (m) m->willOpen();
  return m;
}

namespace {

template <typename Titles>
MenuItemRef findPath(const Menu& menu, const Titles& titles) {
  const Menu* level = &menu;
  MenuItemRef found;
  for (std::string_view title : titles) {
    if (!level) return nullptr;
    found = nullptr;
    for (const MenuItemRef& item : level->itemArray()) {
      if (!item->isSeparator() && item->title() == title) {
        found = item;
        break;
      }
    }
    if (!found) return nullptr;
    level = found->submenu().get();
  }
  return found;
}

}  // namespace

MenuItemRef RecordingStatusBar::find(const Menu& menu,
                                     std::initializer_list<std::string_view> titles) {
  return findPath(menu, titles);
}

bool RecordingStatusBar::choose(std::initializer_list<std::string_view> titles) {
  // Copied first: the titles may be views of item titles that the opening rewrites.
  const std::vector<std::string> path(titles.begin(), titles.end());
  const MenuRef m = open();
  if (!m) return false;
  const MenuItemRef item = findPath(*m, path);
  if (!item || !item->isEnabled()) return false;
  const std::shared_ptr<MenuActionTarget> end = responderEnd_.lock();
  return performMenuItemAction(*item, end.get());
}

}  // namespace tavrine::doubles
