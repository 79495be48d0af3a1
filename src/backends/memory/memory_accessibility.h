// SPDX-License-Identifier: MIT
// An accessibility tree held in memory: the backend of the preview tool and the demonstration,
// and the stand-in for real applications in tests, benchmarks and fuzzing. Never part of the
// program itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ports/accessibility.h"

namespace tavrine::ax {

// Counts attribute reads across one tree.
struct ReadLog {
  std::size_t total = 0;
  std::map<Attribute, std::size_t> byAttribute;
  std::vector<std::string> pressed;  // titles of the items pressed, in order
};

class MemoryElement final : public Element {
 public:
  explicit MemoryElement(std::shared_ptr<ReadLog> log) : log_(std::move(log)) {}

  AttributeResult copyAttributeValue(Attribute attribute) const override;
  // A press on a titled element is logged and succeeds, unless refuse() gave it an error.
  Error performAction(Action action) const override;
  void refuse(Action /*action*/, Error error) { pressError_ = error; }

  // What a read of `attribute` answers; unset attributes answer "no value".
  void set(Attribute attribute, AttributeResult result);
  void setValue(Attribute attribute, Value value) {
    set(attribute, {Error::success, std::move(value)});
  }
  // Appends to the children array, creating it when needed.
  void appendChild(ArrayEntry child);

 private:
  std::shared_ptr<ReadLog> log_;
  std::map<Attribute, AttributeResult> attributes_;
  std::optional<Error> pressError_;
};

// Owns every element of a tree; arrays and element values refer to them without owning, so trees
// may loop back on themselves without leaking.
class MemoryTree {
 public:
  MemoryTree();

  MemoryElement& application() { return *application_; }
  MemoryElement& menuBar() { return *menuBar_; }
  const ReadLog& reads() const { return *log_; }
  void resetReads() { *log_ = ReadLog{}; }

  MemoryElement& newElement();
  // A non-owning reference, valid while the tree lives.
  ElementRef ref(const MemoryElement& element) const;

  // A top-level menu: a menu-bar item titled `title` with one child, the menu it returns.
  MemoryElement& addMenu(std::string_view title);
  // A titled item appended to `menu`; key and mask are set only when given.
  MemoryElement& addItem(MemoryElement& menu, std::string_view title, std::string_view key = {},
                         std::optional<std::int64_t> modifiers = std::nullopt);
  // The submenu of `item`, created on first call.
  MemoryElement& submenu(MemoryElement& item);

  std::size_t size() const { return elements_.size(); }

 private:
  std::shared_ptr<ReadLog> log_;
  std::vector<std::unique_ptr<MemoryElement>> elements_;
  MemoryElement* application_;
  MemoryElement* menuBar_;
  std::unordered_map<const MemoryElement*, MemoryElement*> submenus_;
};

// One application per process id.
class MemoryAccessibility final : public AccessibilityPort {
 public:
  void add(std::int32_t pid, std::shared_ptr<MemoryTree> tree) { trees_[pid] = std::move(tree); }
  using AccessibilityPort::applicationElement;
  ElementRef applicationElement(std::int32_t pid, Patience patience) const override;

 private:
  std::map<std::int32_t, std::shared_ptr<MemoryTree>> trees_;
};

// Reads a menu bar written as text, one line per menu or item:
//
//   # a comment; blank lines are ignored
//   File                   a top-level menu (no indentation)
//     Save As…  [⇧⌘S]     an item (two spaces per level) with its shortcut in brackets
//     Open Recent          an item without a shortcut
//       Clear Menu  [⌘K]   an item of the submenu of the item above
//
// A shortcut is its modifier glyphs (⌃ ⌥ ⇧ ⌘, any order) followed by the key; without ⌘ the item
// is marked as having no Command key.
struct MenuTreeParse {
  std::shared_ptr<MemoryTree> tree;  // null on error
  std::string error;                 // "line N: why"
};
MenuTreeParse parseMenuTree(std::string_view text);
// Reads and parses a menu file; errors name the file ("editor.menu: line 3: ...").
MenuTreeParse loadMenuTree(const std::filesystem::path& path);

}  // namespace tavrine::ax
