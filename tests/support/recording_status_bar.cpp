#include "support/recording_status_bar.h"

namespace tavrine::doubles {
namespace {

MenuItemRef findPath(const MenuRef& menu, const std::vector<std::string>& titles) {
  const Menu* level = menu.get();
  MenuItemRef found;
  for (const std::string& title : titles) {
    found = nullptr;
    for (const MenuItemRef& item : level ? level->itemArray() : std::vector<MenuItemRef>{}) {
      if (!item->isSeparator() && item->title() == title) found = item;
    }
    if (!found) return nullptr;
    level = found->submenu().get();
  }
  return found;
}

}  // namespace

StatusItemRef RecordingStatusBar::statusItemWithLength(double length) {
  auto item = std::make_shared<RecordingStatusItem>();
  item->length = length;
  if (buttonsAvailable) item->recordingButton = std::make_unique<RecordingButton>();
  items.push_back(item);
  return item;
}

ImageRef RecordingStatusBar::systemSymbolImage(std::string_view name,
                                               std::string_view description) {
  return symbolsAvailable ? std::make_shared<SymbolImage>(name, description) : nullptr;
}

MenuRef RecordingStatusBar::open() {
  MenuRef m = menu();
  if (m) m->willOpen();
  return m;
}

bool RecordingStatusBar::choose(std::initializer_list<std::string_view> titles) {
  // Copied first: the titles may be views of item titles that the opening rewrites.
  const std::vector<std::string> path(titles.begin(), titles.end());
  const MenuItemRef item = findPath(open(), path);
  if (!item || !item->isEnabled()) return false;
  return performMenuItemAction(*item, responderChainEnd.lock().get());
}

MenuItemRef RecordingStatusBar::find(std::initializer_list<std::string_view> titles) const {
  return findPath(menu(), std::vector<std::string>(titles.begin(), titles.end()));
}

}  // namespace tavrine::doubles
