// SPDX-License-Identifier: MIT
// Renders the core's Menu model as a QMenu and keeps the two in step: before every opening the
// model's delegate is told (Menu::willOpen) and the QMenu is refreshed from the model, and
// choosing an item performs its action through the core.
#pragma once

#include <QKeySequence>
#include <functional>
#include <memory>

#include "model/status_menu.h"

class QMenu;

namespace tavrine::qt {

// The key sequence that shows a key equivalent: the first character of keyEquivalent() with
// keyEquivalentModifierMask(). An upper-case letter adds Shift, as in AppKit. Command becomes
// Qt's Ctrl (which Qt shows and matches as Command on macOS), Control becomes Meta (Control on
// macOS, Super on Linux), Option becomes Alt. Empty when the item has none, or a named
// key Qt has no key for.
QKeySequence keySequenceFor(const MenuItem& item);

class QtMenuBinding {
 public:
  // Where actions of items without a target go (the application delegate); may give null.
  using ResponderChainEnd = std::function<std::shared_ptr<MenuActionTarget>()>;

  QtMenuBinding(MenuRef model, ResponderChainEnd responderChainEnd);
  ~QtMenuBinding();
  QtMenuBinding(const QtMenuBinding&) = delete;
  QtMenuBinding& operator=(const QtMenuBinding&) = delete;

  const MenuRef& model() const { return model_; }
  // The rendered menu; owned by the binding.
  QMenu* menu() const;

  // Reads the whole model again: titles, enabled states, check marks, key equivalents and, where
  // items were added or replaced, the structure. Runs by itself before every opening.
  void sync();

 private:
  struct Node;
  struct Shared;

  MenuRef model_;
  std::shared_ptr<Shared> shared_;
  std::unique_ptr<Node> root_;
};

}  // namespace tavrine::qt
