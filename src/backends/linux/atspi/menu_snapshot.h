// SPDX-License-Identifier: MIT
// The menu bar an AT-SPI read collected, as the tree of elements the menu-bar walk expects:
// application -> menu bar -> menu-bar items (title, children = [menu]) -> menus (children =
// items) -> items (title, key character answered with the accelerator's chord, children =
// [submenu]). Every read is answered from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backends/linux/atspi/replies.h"
#include "keys/key_binding.h"
#include "ports/accessibility.h"

namespace tavrine::atspi {

using KeyBindingParser = std::optional<KeyChord> (*)(std::string_view binding);
// Performs an item's default action, given the item's object path; empty: items have no actions.
using ItemPress = std::function<ax::Error(const std::string& path)>;

struct SnapshotLimits {
  // Elements in one snapshot; a larger menu keeps its first ones, in menu order.
  std::size_t maxElements = 20'000;
  // Menu levels below the menu bar.
  std::size_t maxDepth = 32;
};

class SnapshotElement final : public ax::Element {
 public:
  enum class Kind { application, menuBar, menu, item };

  SnapshotElement(Kind kind, std::weak_ptr<const void> owner)
      : kind_(kind), owner_(std::move(owner)) {}

  ax::AttributeResult copyAttributeValue(ax::Attribute attribute) const override;
  // A press on an item goes to the snapshot's ItemPress with the item's object path.
  ax::Error performAction(ax::Action action) const override;

 private:
  friend class SnapshotBuilder;

  ax::ElementRef refTo(const SnapshotElement* element) const;

  Kind kind_;
  std::string title_;
  std::optional<KeyChord> key_;       // none: no key equivalent
  std::string path_;                  // the item's object path in its application
  const ItemPress* press_ = nullptr;  // owned by the snapshot's storage
  // The menu bar (application), the items (menu bar, menus) or the submenu (items).
  std::vector<const SnapshotElement*> children_;
  // The storage of the whole snapshot: a reference handed out keeps it alive.
  std::weak_ptr<const void> owner_;
};

// The application element for a read. Titles lose surrounding white space; key bindings become
// chords through `parse` (parseKeyBinding in the program). Containers without a title
// of their own (Qt's popup menus) are folded into the item or menu-bar item that opens them.
// Nodes reached twice (cycles, shared children) appear once. An empty menuBar gives an
// application whose menu bar has no value.
// `press` serves the items' press action.
ax::ElementRef buildMenuSnapshot(const MenuReplies& replies, KeyBindingParser parse,
                                 SnapshotLimits limits = {}, ItemPress press = {});

}  // namespace tavrine::atspi
