// SPDX-License-Identifier: MIT
// The overlay's painted content exposed to assistive technologies (AT-SPI on Linux, the
// accessibility API on macOS) through Qt's accessibility interfaces.
#pragma once

#include <QAccessible>
#include <QRect>
#include <QString>
#include <cstddef>
#include <vector>

#include "overlay/overlay_view.h"
#include "ports/geometry.h"
#include "shell/overlay/overlay_widget.h"

namespace tavrine::qt {

// The overlay window's accessible children, in display order:
//   the application name and the header label (static text), the language switch (a menu
//   button whose action opens the language menu), the line saying why the application has no
//   rows (static text) where it has none, then for each application section in sorted
//   order its heading (heading) and a list named after it that holds the section's rows (list
//   items), the separator label (static text), and the system catalogue's headings and lists
//   alike; last, the scroll bar.
// A row's name is its title as shown and its description its shortcut read out ("Option Shift
// Command V", "Ctrl+Shift+Z"). Headings, lists and rows scrolled out of the view are marked
// offscreen. Texts are read from the view when asked, so they follow the language; all of them
// are plain text. A pinned overlay adds its search field and its count after the scroll bar.
// Child interfaces are made on first request, so a large overlay costs nothing
// until an assistive technology walks it.
class ScreenReaderTree final : public OverlayWidget::AccessibleModel {
 public:
  enum class Kind {
    appName,
    headerLabel,
    languageSwitch,
    emptyReason,
    appHeading,
    appSection,
    appRow,
    separator,
    systemHeading,
    systemSection,
    systemRow,
  };
  static constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);
  struct Entry {
    Kind kind = Kind::appName;
    std::size_t group = 0;  // index among the sorted application groups or catalogue groups
    std::size_t item = 0;   // index of the row within its group
    std::size_t parent = kNoParent;  // the window, or a section's list
    std::size_t indexInParent = 0;
    std::size_t firstChild = 0;  // a list's rows follow it
    std::size_t childCount = 0;
  };

  explicit ScreenReaderTree(OverlayWidget& widget);
  ~ScreenReaderTree();
  ScreenReaderTree(const ScreenReaderTree&) = delete;
  ScreenReaderTree& operator=(const ScreenReaderTree&) = delete;

  OverlayWidget& widget() const { return widget_; }
  std::size_t size() const { return entries_.size(); }
  const Entry& entry(std::size_t index) const { return entries_[index]; }
  // The window's own children among the entries, in order.
  const std::vector<std::size_t>& topLevel() const { return topLevel_; }

  // The interface of entry `index`, registered with Qt's accessibility cache; deleted with this
  // tree.
  QAccessibleInterface* child(std::size_t index);
  // The entry index of `child`, or -1 when it is not one of this tree's.
  int indexOf(const QAccessibleInterface* child) const;

  QString text(std::size_t index, QAccessible::Text kind) const;
  QAccessible::Role role(std::size_t index) const;
  // Screen rectangle of an entry; headings, lists and rows move with the scroll offset. The
  // separator label has none.
  QRect rect(std::size_t index) const;
  // Whether an entry of the scrolling area lies wholly outside its visible part.
  bool isOffscreen(std::size_t index) const;

  // Tells assistive technologies that the texts changed (after a language change).
  void textsChanged() override;
  // Tells them that the content scrolled: rows came into the view or left it.
  void scrolled() override;
  // Tells them that a row (in the view's sorted groups, or the catalogue's) has the focus of a
  // pinned overlay: they read its title and spoken shortcut.
  void rowFocused(bool system, std::size_t group, std::size_t item) override;

 private:
  // An entry's frame in the scroll content's coordinates; empty for the header's entries.
  Rect contentFrame(std::size_t index) const;

  OverlayWidget& widget_;
  std::vector<const OverlayView::Group*> groups_;
  std::vector<Entry> entries_;
  std::vector<std::size_t> topLevel_;
  std::vector<QAccessibleInterface*> children_;  // null until requested
};

// Registers the factory that gives every OverlayWidget its accessible interface. Idempotent; call
// it before the first widget is made, since an assistive technology may ask for a widget's
// interface as soon as its first child joins it.
void installScreenReaderTree();

}  // namespace tavrine::qt
