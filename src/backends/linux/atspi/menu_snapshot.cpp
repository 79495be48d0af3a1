// SPDX-License-Identifier: MIT
#include "backends/linux/atspi/menu_snapshot.h"

#include <deque>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace tavrine::atspi {
namespace {

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// Levels of untitled containers folded into one menu (Qt: item -> popup menu -> items).
constexpr int kMaxFoldedContainers = 4;

}  // namespace

ax::ElementRef SnapshotElement::refTo(const SnapshotElement* element) const {
  std::shared_ptr<const void> owner = owner_.lock();
  if (!owner) return {};
  return ax::ElementRef(owner, element);
}

ax::AttributeResult SnapshotElement::copyAttributeValue(ax::Attribute attribute) const {
  const auto value = [](ax::Value v) {
    return ax::AttributeResult{ax::Error::success, std::move(v)};
  };
  if (kind_ == Kind::application) {
    if (attribute == ax::Attribute::menuBar && !children_.empty())
      return value(refTo(children_.front()));
    if (attribute == ax::Attribute::menuBar) return {ax::Error::noValue, {}};
    return {ax::Error::unsupported, {}};
  }
  if (attribute == ax::Attribute::children) {
    std::vector<ax::ArrayEntry> entries;
    entries.reserve(children_.size());
    for (const SnapshotElement* child : children_)
      entries.emplace_back(refTo(child));
    return value(std::move(entries));
  }
  if (kind_ != Kind::item) return {ax::Error::unsupported, {}};
  if (attribute == ax::Attribute::title) return value(title_);
  // The accelerator was read as keys: the walk takes the chord as it is, with no modifier mask.
  if (attribute == ax::Attribute::keyCharacter) {
    if (!key_) return {ax::Error::noValue, {}};
    return value(*key_);
  }
  return {ax::Error::unsupported, {}};
}

ax::Error SnapshotElement::performAction(ax::Action /*action: press, the only one*/) const {
  if (kind_ != Kind::item) return ax::Error::unsupported;
  if (press_ == nullptr || !*press_) return ax::Error::notImplemented;
  // The snapshot may have been read long ago; the item answers for itself if it has gone.
  if (owner_.expired()) return ax::Error::gone;
  return (*press_)(path_);
}

class SnapshotBuilder {
 public:
  SnapshotBuilder(const MenuReplies& replies, KeyBindingParser parse, SnapshotLimits limits,
                  ItemPress press)
      : r_(replies),
        parse_(parse),
        limits_(limits),
        useCache_(!replies.cache.empty()),
        press_(std::move(press)) {
    if (useCache_) indexCache();
  }

  ax::ElementRef build() {
    auto storage = std::make_shared<Storage>();
    storage->press = std::move(press_);
    storage_ = storage.get();
    owner_ = storage;
    SnapshotElement& application = make(SnapshotElement::Kind::application);
    if (!r_.menuBar.empty()) {
      visited_.insert(r_.menuBar);
      SnapshotElement& bar = make(SnapshotElement::Kind::menuBar);
      application.children_.push_back(&bar);
      for (std::string_view barItem : itemsOf(r_.menuBar)) {
        if (full()) break;
        bar.children_.push_back(&makeItem(barItem, 0));
      }
    }
    return ax::ElementRef(std::move(storage), &application);
  }

 private:
  void indexCache() {
    for (const CacheItem& item : r_.cache)
      cacheByPath_.emplace(item.path, &item);
    std::unordered_set<std::string_view> listed;
    for (const std::string& path : r_.matches) {
      if (!listed.insert(path).second) continue;
      const auto found = cacheByPath_.find(path);
      if (found != cacheByPath_.end()) cacheChildren_[found->second->parent].push_back(path);
    }
  }

  const std::vector<std::string_view>& childrenOf(std::string_view path) {
    static const std::vector<std::string_view> kNone;
    if (useCache_) {
      const auto found = cacheChildren_.find(path);
      return found != cacheChildren_.end() ? found->second : kNone;
    }
    const auto found = r_.children.find(std::string(path));
    if (found == r_.children.end()) return kNone;
    auto& views = levelChildren_[path];
    if (views.empty()) views.assign(found->second.begin(), found->second.end());
    return views;
  }

  std::string_view nameOf(std::string_view path) const {
    if (useCache_) {
      const auto found = cacheByPath_.find(path);
      return found != cacheByPath_.end() ? std::string_view(found->second->name)
                                         : std::string_view{};
    }
    const auto found = r_.names.find(std::string(path));
    return found != r_.names.end() ? std::string_view(found->second) : std::string_view{};
  }

  std::optional<std::uint32_t> roleOf(std::string_view path) const {
    if (useCache_) {
      const auto found = cacheByPath_.find(path);
      if (found != cacheByPath_.end()) return found->second->role;
      return std::nullopt;
    }
    const auto found = r_.roles.find(std::string(path));
    if (found != r_.roles.end()) return found->second;
    return std::nullopt;
  }

  // A popup menu, an untitled menu, or (role unread) an untitled node with children: the walk by
  // levels leaves roles out, and there only Qt's popup menus are untitled with children.
  bool isContainer(std::string_view path) {
    if (!trimmed(nameOf(path)).empty()) return roleOf(path) == kRolePopupMenu;
    const std::optional<std::uint32_t> role = roleOf(path);
    if (!role) return !childrenOf(path).empty();
    return *role == kRolePopupMenu || *role == kRoleMenu;
  }

  // The items shown under `path`: its children, with untitled containers folded in. Each node is
  // taken once per snapshot, which also ends any cycle.
  std::vector<std::string_view> itemsOf(std::string_view path) {
    std::vector<std::string_view> items;
    collect(path, 0, items);
    return items;
  }

  void collect(std::string_view path, int folded, std::vector<std::string_view>& items) {
    for (std::string_view child : childrenOf(path)) {
      if (items.size() + count_ >= limits_.maxElements) return;
      if (!visited_.insert(child).second) continue;
      if (isContainer(child) && folded < kMaxFoldedContainers) {
        collect(child, folded + 1, items);
      } else {
        items.push_back(child);
      }
    }
  }

  SnapshotElement& makeItem(std::string_view path, std::size_t depth) {
    SnapshotElement& item = make(SnapshotElement::Kind::item);
    item.title_ = trimmed(nameOf(path));
    item.path_ = path;
    item.press_ = &storage_->press;
    const auto binding = r_.keyBindings.find(std::string(path));
    if (binding != r_.keyBindings.end() && parse_ != nullptr) {
      item.key_ = parse_(binding->second);
    }
    if (depth >= limits_.maxDepth || full()) return item;
    const std::vector<std::string_view> items = itemsOf(path);
    if (items.empty()) return item;
    SnapshotElement& menu = make(SnapshotElement::Kind::menu);
    item.children_.push_back(&menu);
    for (std::string_view child : items) {
      if (full()) break;
      menu.children_.push_back(&makeItem(child, depth + 1));
    }
    return item;
  }

  SnapshotElement& make(SnapshotElement::Kind kind) {
    ++count_;
    return storage_->elements.emplace_back(kind, owner_);
  }

  bool full() const { return count_ >= limits_.maxElements; }

  const MenuReplies& r_;
  KeyBindingParser parse_;
  SnapshotLimits limits_;
  bool useCache_;
  std::unordered_map<std::string_view, const CacheItem*> cacheByPath_;
  std::unordered_map<std::string_view, std::vector<std::string_view>> cacheChildren_;
  std::unordered_map<std::string_view, std::vector<std::string_view>> levelChildren_;
  std::unordered_set<std::string_view> visited_;
  // The whole snapshot, kept alive by any reference into it.
  struct Storage {
    std::deque<SnapshotElement> elements;
    ItemPress press;
  };
  ItemPress press_;
  Storage* storage_ = nullptr;
  std::weak_ptr<const void> owner_;
  std::size_t count_ = 0;
};

ax::ElementRef buildMenuSnapshot(const MenuReplies& replies, KeyBindingParser parse,
                                 SnapshotLimits limits, ItemPress press) {
  return SnapshotBuilder(replies, parse, limits, std::move(press)).build();
}

}  // namespace tavrine::atspi
