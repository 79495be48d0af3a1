// SPDX-License-Identifier: MIT
#include "harvest/accessibility_helper.h"

#include <algorithm>
#include <utility>

#include "harvest/key_equivalent.h"
#include "text/unicode.h"

namespace tavrine {
namespace {

// Values of another type than expected count as absent.
std::string readText(const ax::Element& element, ax::Attribute attribute) {
  ax::AttributeResult r = element.copyAttributeValue(attribute);
  if (auto* s = std::get_if<std::string>(&r.value)) return std::move(*s);
  return {};
}

std::vector<ax::ArrayEntry> readChildren(const ax::Element& element) {
  ax::AttributeResult r = element.copyAttributeValue(ax::Attribute::children);
  if (auto* children = std::get_if<std::vector<ax::ArrayEntry>>(&r.value))
    return std::move(*children);
  return {};
}

const ax::Element* asElement(const ax::ArrayEntry& entry) {
  const auto* ref = std::get_if<ax::ElementRef>(&entry);
  return ref != nullptr ? ref->get() : nullptr;
}

}  // namespace

struct AccessibilityHelper::Walk {
  std::vector<ShortcutItem> result;
  std::vector<ax::ElementRef>* elements = nullptr;  // when asked for: each record's item
  // Elements from the menu bar down to the one being read, to recognise a tree that loops back:
  // the menu bar and a bar item, then a menu and one of its items for each level further down.
  std::vector<const ax::Element*> path;
  std::size_t itemsVisited = 0;

  // How many menus lie above the one about to be read.
  std::size_t menuDepth() const { return (path.size() - 2) / 2; }

  bool full() const { return result.size() >= kMaxRecords || itemsVisited >= kMaxItemsVisited; }
  bool onPath(const ax::Element& e) const {
    return std::any_of(path.begin(), path.end(), [&](const ax::Element* p) {
      return p->isSameElement(e) || e.isSameElement(*p);
    });
  }
};

std::vector<ShortcutItem> AccessibilityHelper::getShortcuts(const ax::AccessibilityPort& port,
                                                            std::int32_t pid) {
  return readMenuBar(port, pid).items;
}

AccessibilityHelper::MenuBarRead AccessibilityHelper::readMenuBar(const ax::AccessibilityPort& port,
                                                                  std::int32_t pid,
                                                                  ax::Patience patience) {
  MenuBarRead read;
  const ax::ElementRef application = port.applicationElement(pid, patience);
  if (!application) return read;
  Walk walk;
  read.items = walkMenuBar(*application, walk, &read);
  return read;
}

std::vector<ShortcutItem> AccessibilityHelper::getShortcuts(const ax::Element& application) {
  Walk walk;
  return walkMenuBar(application, walk);
}

std::vector<ShortcutItem> AccessibilityHelper::getShortcuts(const ax::Element& application,
                                                            std::vector<ax::ElementRef>& elements) {
  Walk walk;
  elements.clear();
  walk.elements = &elements;
  return walkMenuBar(application, walk);
}

std::vector<ShortcutItem> AccessibilityHelper::walkMenuBar(const ax::Element& application,
                                                           Walk& walk, MenuBarRead* read) {
  const ax::AttributeResult bar = application.copyAttributeValue(ax::Attribute::menuBar);
  const bool unanswered = bar.error == ax::Error::cannotComplete;
  if (read != nullptr) {
    read->unanswered = unanswered;
    read->state = unanswered ? MenuBarState::unanswered : MenuBarState::noMenuBar;
  }
  const auto* menuBarRef = std::get_if<ax::ElementRef>(&bar.value);
  if (bar.error != ax::Error::success || menuBarRef == nullptr || !*menuBarRef) return {};
  const ax::Element& menuBar = **menuBarRef;

  const std::vector<ax::ArrayEntry> barItems = readChildren(menuBar);
  if (read != nullptr && !barItems.empty()) read->state = MenuBarState::unopened;
  walk.path.push_back(&menuBar);
  for (const ax::ArrayEntry& entry : barItems) {
    const ax::Element* barItem = asElement(entry);
    if (barItem == nullptr || walk.onPath(*barItem)) continue;
    const std::string menuName = readText(*barItem, ax::Attribute::title);
    // The system menu holds no shortcuts of the application's own.
    if (text::drawsNothing(menuName) || menuName == "Apple") continue;
    const std::vector<ax::ArrayEntry> menus = readChildren(*barItem);
    walk.path.push_back(barItem);
    for (const ax::ArrayEntry& menu : menus) {
      if (walk.full()) break;
      if (const ax::Element* m = asElement(menu)) extractShortcuts(*m, menuName, walk);
    }
    walk.path.pop_back();
    if (walk.full()) break;
  }
  if (read != nullptr && walk.itemsVisited > 0)
    read->state = walk.result.empty() ? MenuBarState::noShortcuts : MenuBarState::shortcuts;
  return std::move(walk.result);
}

void AccessibilityHelper::extractShortcuts(const ax::Element& menu, const std::string& menuPath,
                                           Walk& walk) {
  if (walk.menuDepth() >= kMaxMenuDepth || walk.full() || walk.onPath(menu)) return;
  const std::vector<ax::ArrayEntry> items = readChildren(menu);
  walk.path.push_back(&menu);
  for (const ax::ArrayEntry& entry : items) {
    const ax::Element* item = asElement(entry);
    if (item == nullptr || walk.onPath(*item)) continue;
    if (walk.full()) break;
    ++walk.itemsVisited;
    const std::string title = readText(*item, ax::Attribute::title);
    // An untitled item is a separator or a placeholder: nothing below it is shown either. A
    // title that draws nothing (zero-width or no-break spaces only) is none.
    if (text::drawsNothing(title)) continue;

    const ax::AttributeResult key = item->copyAttributeValue(ax::Attribute::keyCharacter);
    const auto* keyText = std::get_if<std::string>(&key.value);
    const auto* chord = std::get_if<KeyChord>(&key.value);
    const std::size_t recorded = walk.result.size();
    if (key.error == ax::Error::success && chord != nullptr) {
      walk.result.emplace_back(menuPath, title, *chord);
    } else if (key.error == ax::Error::success && keyText != nullptr && !keyText->empty()) {
      const ax::AttributeResult mods = item->copyAttributeValue(ax::Attribute::keyModifiers);
      const auto* mask = std::get_if<std::int64_t>(&mods.value);
      walk.result.emplace_back(menuPath, title,
                               keyEquivalentChord(mask != nullptr ? *mask : 0, *keyText));
    }
    if (walk.elements != nullptr && walk.result.size() > recorded)
      walk.elements->push_back(std::get<ax::ElementRef>(entry));

    const std::vector<ax::ArrayEntry> submenus = readChildren(*item);
    walk.path.push_back(item);
    for (const ax::ArrayEntry& submenu : submenus) {
      if (const ax::Element* s = asElement(submenu)) extractShortcuts(*s, menuPath, walk);
    }
    walk.path.pop_back();
  }
  walk.path.pop_back();
}

std::string AccessibilityHelper::formatShortcut(std::int64_t modifiers, std::string_view key) {
  return shortcutText(keyEquivalentChord(modifiers, key));
}

}  // namespace tavrine
