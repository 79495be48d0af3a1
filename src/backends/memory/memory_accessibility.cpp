// SPDX-License-Identifier: MIT
#include "backends/memory/memory_accessibility.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

#include "model/named_key.h"
#include "text/unicode.h"

namespace tavrine::ax {

AttributeResult MemoryElement::copyAttributeValue(Attribute attribute) const {
  ++log_->total;
  ++log_->byAttribute[attribute];
  const auto found = attributes_.find(attribute);
  if (found == attributes_.end()) return {};
  return found->second;
}

Error MemoryElement::performAction(Action /*action: press, the only one*/) const {
  if (pressError_) return *pressError_;
  const auto title = attributes_.find(Attribute::title);
  const auto* text =
      title != attributes_.end() ? std::get_if<std::string>(&title->second.value) : nullptr;
  if (text == nullptr) return Error::unsupported;
  log_->pressed.push_back(*text);
  return Error::success;
}

void MemoryElement::set(Attribute attribute, AttributeResult result) {
  attributes_.insert_or_assign(attribute, std::move(result));
}

void MemoryElement::appendChild(ArrayEntry child) {
  auto found = attributes_.find(Attribute::children);
  if (found == attributes_.end()) {
    found = attributes_
                .emplace(Attribute::children,
                         AttributeResult{Error::success, std::vector<ArrayEntry>{}})
                .first;
  }
  auto* children = std::get_if<std::vector<ArrayEntry>>(&found->second.value);
  if (children == nullptr) {
    found->second = {Error::success, std::vector<ArrayEntry>{}};
    children = std::get_if<std::vector<ArrayEntry>>(&found->second.value);
  }
  children->push_back(std::move(child));
}

MemoryTree::MemoryTree() : log_(std::make_shared<ReadLog>()) {
  application_ = &newElement();
  menuBar_ = &newElement();
  application_->setValue(Attribute::menuBar, ref(*menuBar_));
}

MemoryElement& MemoryTree::newElement() {
  elements_.push_back(std::make_unique<MemoryElement>(log_));
  return *elements_.back();
}

ElementRef MemoryTree::ref(const MemoryElement& element) const {
  // Aliasing constructor with no owner: the tree keeps the element alive.
  return ElementRef(std::shared_ptr<const Element>(), &element);
}

MemoryElement& MemoryTree::addMenu(std::string_view title) {
  MemoryElement& barItem = newElement();
  barItem.setValue(Attribute::title, std::string(title));
  menuBar_->appendChild(ref(barItem));
  return submenu(barItem);
}

MemoryElement& MemoryTree::addItem(MemoryElement& menu, std::string_view title,
                                   std::string_view key, std::optional<std::int64_t> modifiers) {
  MemoryElement& item = newElement();
  item.setValue(Attribute::title, std::string(title));
  if (!key.empty()) item.setValue(Attribute::keyCharacter, std::string(key));
  if (modifiers) item.setValue(Attribute::keyModifiers, *modifiers);
  menu.appendChild(ref(item));
  return item;
}

MemoryElement& MemoryTree::submenu(MemoryElement& item) {
  MemoryElement*& menu = submenus_[&item];
  if (menu == nullptr) {
    menu = &newElement();
    item.appendChild(ref(*menu));
  }
  return *menu;
}

ElementRef MemoryAccessibility::applicationElement(std::int32_t pid, Patience /*patience*/) const {
  const auto found = trees_.find(pid);
  if (found == trees_.end()) return nullptr;
  // The handed-out reference shares ownership of its tree: replacing or dropping the tree while a
  // walk still holds the application must not free what the walk reads.
  return ElementRef(found->second, &found->second->application());
}

namespace {

struct ParsedShortcut {
  std::string key;
  std::int64_t modifiers = 0;
};

// A key written as the cap a menu shows for it ("⇥", "⌫", "F5") is that named key.
std::optional<NamedKey> namedKeyShownAs(std::string_view cap) {
  for (int k = 0; k <= static_cast<int>(NamedKey::space); ++k) {
    if (keyCapText(static_cast<NamedKey>(k)) == cap) return static_cast<NamedKey>(k);
  }
  return std::nullopt;
}

// "⇧⌘S" -> key "S", mask Shift; glyphs may come in any order, and no "⌘" marks "no Command".
ParsedShortcut parseShortcut(std::string_view spec) {
  ParsedShortcut out;
  bool command = false;
  const std::vector<std::string_view> chars = text::graphemes(spec);
  std::size_t i = 0;
  for (; i < chars.size(); ++i) {
    if (chars[i] == "⌃") {
      out.modifiers |= 4;
    } else if (chars[i] == "⌥") {
      out.modifiers |= 2;
    } else if (chars[i] == "⇧") {
      out.modifiers |= 1;
    } else if (chars[i] == "⌘") {
      command = true;
    } else {
      break;
    }
  }
  for (; i < chars.size(); ++i)
    out.key += chars[i];
  if (!command) out.modifiers |= 8;
  return out;
}

}  // namespace

MenuTreeParse parseMenuTree(std::string_view text) {
  auto tree = std::make_shared<MemoryTree>();
  MemoryElement* menu = nullptr;
  std::vector<MemoryElement*> lastItemAtLevel;  // index 0: level 1
  std::size_t lineNumber = 0;
  auto fail = [&](std::string why) {
    return MenuTreeParse{nullptr, "line " + std::to_string(lineNumber) + ": " + std::move(why)};
  };

  while (!text.empty()) {
    ++lineNumber;
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string_view::npos || line[indent] == '#') continue;
    if (line[indent] == '\t') return fail("indent with spaces, not tabs");
    if (indent % 2 != 0) return fail("indentation must be a multiple of two spaces");
    std::string_view content = line.substr(indent);
    while (!content.empty() && content.back() == ' ')
      content.remove_suffix(1);

    const std::size_t level = indent / 2;
    if (level == 0) {
      menu = &tree->addMenu(content);
      lastItemAtLevel.clear();
      continue;
    }
    if (menu == nullptr) return fail("an item needs a menu above it");
    if (level > lastItemAtLevel.size() + 1) return fail("an item is indented too deep");

    std::string_view title = content;
    ParsedShortcut shortcut;
    const std::size_t open = content.rfind(" [");
    if (content.back() == ']' && open != std::string_view::npos) {
      shortcut = parseShortcut(content.substr(open + 2, content.size() - open - 3));
      if (shortcut.key.empty()) return fail("a shortcut needs a key after its modifiers");
      title = text::trimSpacesAndTabs(content.substr(0, open));
    }
    MemoryElement& container = level == 1 ? *menu : tree->submenu(*lastItemAtLevel[level - 2]);
    MemoryElement& item = shortcut.key.empty()
                              ? tree->addItem(container, title)
                              : tree->addItem(container, title, shortcut.key, shortcut.modifiers);
    // A named key has no command character to write it with: it is given as keys, as a
    // toolkit's accelerator is.
    if (const std::optional<NamedKey> named = namedKeyShownAs(shortcut.key)) {
      const std::int64_t m = shortcut.modifiers;
      item.setValue(Attribute::keyCharacter,
                    KeyChord{(m & 4) != 0, (m & 2) != 0, (m & 1) != 0, (m & 8) == 0, *named});
    }
    lastItemAtLevel.resize(level - 1);
    lastItemAtLevel.push_back(&item);
  }
  return {std::move(tree), {}};
}

MenuTreeParse loadMenuTree(const std::filesystem::path& path) {
  const std::string name = path.string();
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    return {nullptr, name + ": is a directory, not a menu file"};
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return {nullptr, name + ": cannot open (" + std::strerror(errno) + ")"};
  std::stringstream content;
  content << file.rdbuf();
  if (file.bad()) return {nullptr, name + ": cannot read the file"};
  MenuTreeParse parsed = parseMenuTree(content.str());
  if (!parsed.tree) parsed.error = name + ": " + parsed.error;
  return parsed;
}

}  // namespace tavrine::ax
