// SPDX-License-Identifier: MIT
#include "shell/overlay/screen_reader_tree.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QWindow>
#include <mutex>
#include <string_view>

#include "shell/overlay/overlay_painter.h"
#include "shell/qt/qt_text_measurer.h"

namespace tavrine::qt {
namespace {

// One painted element of the overlay. It holds its widget weakly: Qt's cache may still hand it
// out for a moment after the widget is gone, and it then reports itself invalid.
class OverlayItemAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  OverlayItemAccessible(OverlayWidget& widget, std::size_t index)
      : widget_(&widget), index_(index) {}

  ScreenReaderTree* tree() const {
    return widget_.isNull() ? nullptr : &widget_->accessibleModel<ScreenReaderTree>();
  }
  std::size_t index() const { return index_; }

  bool isValid() const override { return !widget_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return widget_.isNull() ? nullptr : widget_->window()->windowHandle();
  }
  QAccessibleInterface* parent() const override {
    ScreenReaderTree* t = tree();
    if (t == nullptr) return nullptr;
    const std::size_t parent = t->entry(index_).parent;
    return parent == ScreenReaderTree::kNoParent
               ? QAccessible::queryAccessibleInterface(widget_.data())
               : t->child(parent);
  }
  // A section's list holds its rows; other entries have no children.
  QAccessibleInterface* child(int index) const override {
    ScreenReaderTree* t = tree();
    if (t == nullptr || index < 0) return nullptr;
    const ScreenReaderTree::Entry& e = t->entry(index_);
    const auto i = static_cast<std::size_t>(index);
    return i < e.childCount ? t->child(e.firstChild + i) : nullptr;
  }
  int childCount() const override {
    const ScreenReaderTree* t = tree();
    return t != nullptr ? static_cast<int>(t->entry(index_).childCount) : 0;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const ScreenReaderTree* t = tree();
    const int i = t != nullptr ? t->indexOf(child) : -1;
    if (i < 0) return -1;
    const ScreenReaderTree::Entry& e = t->entry(static_cast<std::size_t>(i));
    return e.parent == index_ ? static_cast<int>(e.indexInParent) : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    ScreenReaderTree* t = tree();
    if (t == nullptr) return nullptr;
    const ScreenReaderTree::Entry& e = t->entry(index_);
    for (std::size_t c = e.firstChild; c < e.firstChild + e.childCount; ++c) {
      if (t->rect(c).contains(x, y)) return t->child(c);
    }
    return nullptr;
  }

  QString text(QAccessible::Text kind) const override {
    const ScreenReaderTree* t = tree();
    return t != nullptr ? t->text(index_, kind) : QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    const ScreenReaderTree* t = tree();
    return t != nullptr ? t->rect(index_) : QRect();
  }
  QAccessible::Role role() const override {
    const ScreenReaderTree* t = tree();
    return t != nullptr ? t->role(index_) : QAccessible::NoRole;
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    state.readOnly = true;
    if (widget_.isNull() || !widget_->isVisible()) state.invisible = true;
    if (const ScreenReaderTree* t = tree(); t != nullptr && t->isOffscreen(index_))
      state.offscreen = true;
    if (isSwitch()) {
      state.readOnly = false;
      state.hasPopup = true;
    }
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ActionInterface && isSwitch())
      return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }

  // The language switch opens its menu on either action.
  QStringList actionNames() const override {
    return isSwitch() ? QStringList{showMenuAction(), pressAction()} : QStringList();
  }
  void doAction(const QString& name) override {
    if (isSwitch() && (name == showMenuAction() || name == pressAction()))
      widget_->openLanguageMenu();
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  bool isSwitch() const {
    const ScreenReaderTree* t = tree();
    return t != nullptr && t->entry(index_).kind == ScreenReaderTree::Kind::languageSwitch;
  }

  QPointer<OverlayWidget> widget_;
  std::size_t index_;
};

// The overlay window: its name is the header line, its children the tree's entries and the
// scroll bar.
class OverlayAccessible final : public QAccessibleWidget {
 public:
  explicit OverlayAccessible(OverlayWidget* widget)
      : QAccessibleWidget(widget, QAccessible::Window) {}

  int childCount() const override {
    OverlayWidget* w = overlay();
    if (w == nullptr) return 0;
    // A pinned overlay adds its search field and the count of the rows it keeps.
    return static_cast<int>(w->accessibleModel<ScreenReaderTree>().topLevel().size()) +
           (w->isPinned() ? 3 : 1);
  }

  QAccessibleInterface* child(int index) const override {
    OverlayWidget* w = overlay();
    if (w == nullptr || index < 0) return nullptr;
    ScreenReaderTree& tree = w->accessibleModel<ScreenReaderTree>();
    const auto i = static_cast<std::size_t>(index);
    if (i < tree.topLevel().size()) return tree.child(tree.topLevel()[i]);
    if (i == tree.topLevel().size()) return QAccessible::queryAccessibleInterface(w->scrollBar());
    if (w->isPinned() && i == tree.topLevel().size() + 1)
      return QAccessible::queryAccessibleInterface(w->searchField());
    if (w->isPinned() && i == tree.topLevel().size() + 2)
      return QAccessible::queryAccessibleInterface(w->countLabel());
    return nullptr;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    OverlayWidget* w = overlay();
    if (w == nullptr || child == nullptr) return -1;
    ScreenReaderTree& tree = w->accessibleModel<ScreenReaderTree>();
    if (child->object() != nullptr && child->object() == w->scrollBar())
      return static_cast<int>(tree.topLevel().size());
    if (w->isPinned() && child->object() != nullptr && child->object() == w->searchField())
      return static_cast<int>(tree.topLevel().size()) + 1;
    if (w->isPinned() && child->object() != nullptr && child->object() == w->countLabel())
      return static_cast<int>(tree.topLevel().size()) + 2;
    const int i = tree.indexOf(child);
    if (i < 0) return -1;
    const ScreenReaderTree::Entry& e = tree.entry(static_cast<std::size_t>(i));
    return e.parent == ScreenReaderTree::kNoParent ? static_cast<int>(e.indexInParent) : -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    OverlayWidget* w = overlay();
    if (w == nullptr) return nullptr;
    const QPoint point(x, y);
    QScrollBar* bar = w->scrollBar();
    if (bar->isVisible() && QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size()).contains(point))
      return QAccessible::queryAccessibleInterface(bar);
    ScreenReaderTree& tree = w->accessibleModel<ScreenReaderTree>();
    for (const std::size_t i : tree.topLevel()) {
      if (tree.rect(i).contains(point)) return tree.child(i);
    }
    return nullptr;
  }

  QString text(QAccessible::Text kind) const override {
    OverlayWidget* w = overlay();
    if (w == nullptr || kind != QAccessible::Name) return QAccessibleWidget::text(kind);
    return toQString(w->view().appName()) + QLatin1Char(' ') + toQString(w->view().headerLabel());
  }

 private:
  // Null while the widget is being destroyed: its dynamic type is no longer OverlayWidget.
  OverlayWidget* overlay() const { return qobject_cast<OverlayWidget*>(object()); }
};

QAccessibleInterface* overlayFactory(const QString&, QObject* object) {
  if (auto* widget = qobject_cast<OverlayWidget*>(object)) return new OverlayAccessible(widget);
  return nullptr;
}

}  // namespace

void installScreenReaderTree() {
  static std::once_flag installed;
  std::call_once(installed, [] { QAccessible::installFactory(&overlayFactory); });
}

ScreenReaderTree::ScreenReaderTree(OverlayWidget& widget)
    : widget_(widget), groups_(widget.view().sortedGroups()) {
  const auto top = [this](Kind kind, std::size_t group = 0) {
    entries_.push_back({kind, group, 0, kNoParent, topLevel_.size()});
    topLevel_.push_back(entries_.size() - 1);
  };
  // A heading, then the list of the section's rows, which follow it among the entries.
  const auto section = [&](Kind heading, Kind list, Kind row, std::size_t group, std::size_t rows) {
    top(heading, group);
    top(list, group);
    const std::size_t at = entries_.size() - 1;
    entries_[at].firstChild = at + 1;
    entries_[at].childCount = rows;
    for (std::size_t i = 0; i < rows; ++i)
      entries_.push_back({row, group, i, at, i});
  };
  top(Kind::appName);
  top(Kind::headerLabel);
  top(Kind::languageSwitch);
  if (!widget.view().emptyReasonLine().empty()) top(Kind::emptyReason);
  for (std::size_t g = 0; g < groups_.size(); ++g)
    section(Kind::appHeading, Kind::appSection, Kind::appRow, g, groups_[g]->second.size());
  top(Kind::separator);
  const std::vector<ShortcutGroup>& system = widget.view().systemGroups();
  for (std::size_t g = 0; g < system.size(); ++g)
    section(Kind::systemHeading, Kind::systemSection, Kind::systemRow, g, system[g].items.size());
  children_.assign(entries_.size(), nullptr);
}

ScreenReaderTree::~ScreenReaderTree() {
  for (QAccessibleInterface* child : children_) {
    if (child != nullptr) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(child));
  }
}

QAccessibleInterface* ScreenReaderTree::child(std::size_t index) {
  if (index >= children_.size()) return nullptr;
  if (children_[index] == nullptr) {
    children_[index] = new OverlayItemAccessible(widget_, index);
    QAccessible::registerAccessibleInterface(children_[index]);
  }
  return children_[index];
}

int ScreenReaderTree::indexOf(const QAccessibleInterface* child) const {
  const auto* item = dynamic_cast<const OverlayItemAccessible*>(child);
  if (item == nullptr || item->tree() != this) return -1;
  return static_cast<int>(item->index());
}

QString ScreenReaderTree::text(std::size_t index, QAccessible::Text kind) const {
  if (index >= entries_.size()) return {};
  const Entry& e = entries_[index];
  const OverlayView& view = widget_.view();
  const bool name = kind == QAccessible::Name;
  const bool description = kind == QAccessible::Description;
  switch (e.kind) {
    case Kind::appName:
      return name ? toQString(view.appName()) : QString();
    case Kind::headerLabel:
      return name ? toQString(view.headerLabel()) : QString();
    case Kind::languageSwitch: {
      if (name) return toQString(view.languageLabel());
      if (!description) return {};
      QStringList titles;
      for (const OverlayView::LanguageItem& item : OverlayView::languageItems())
        titles << toQString(item.title);
      return titles.join(QStringLiteral(", "));
    }
    case Kind::appHeading:
    case Kind::appSection:  // a list is named by its heading
      return name ? toQString(view.appHeading(groups_[e.group]->first)) : QString();
    case Kind::separator:
      return name ? toQString(view.separatorLabel()) : QString();
    case Kind::emptyReason:
      return name ? toQString(view.emptyReasonLine()) : QString();
    case Kind::systemHeading:
    case Kind::systemSection:
      return name ? toQString(view.systemHeading(view.systemGroups()[e.group])) : QString();
    case Kind::appRow:
    case Kind::systemRow: {
      if (!name && !description) return {};
      const ShortcutRow row = e.kind == Kind::appRow
                                  ? view.appRow(groups_[e.group]->second[e.item])
                                  : view.systemRow(view.systemGroups()[e.group].items[e.item]);
      return toQString(name ? row.title : view.spokenShortcuts(row));
    }
  }
  return {};
}

QAccessible::Role ScreenReaderTree::role(std::size_t index) const {
  if (index >= entries_.size()) return QAccessible::NoRole;
  switch (entries_[index].kind) {
    case Kind::appName:
    case Kind::headerLabel:
    case Kind::separator:
    case Kind::emptyReason:
      return QAccessible::StaticText;
    case Kind::languageSwitch:
      return QAccessible::ButtonMenu;
    case Kind::appHeading:
    case Kind::systemHeading:
      return QAccessible::Heading;
    case Kind::appSection:
    case Kind::systemSection:
      return QAccessible::List;
    case Kind::appRow:
    case Kind::systemRow:
      return QAccessible::ListItem;
  }
  return QAccessible::NoRole;
}

QRect ScreenReaderTree::rect(std::size_t index) const {
  if (index >= entries_.size()) return {};
  const Kind kind = entries_[index].kind;
  const OverlayLayout& layout = widget_.overlayLayout();
  Rect frame;
  if (kind == Kind::languageSwitch) {
    frame = layout.languageSwitchFrame();
  } else if (kind == Kind::appName || kind == Kind::headerLabel) {
    // The header's first two texts are the name and the label.
    int wanted = kind == Kind::appName ? 0 : 1;
    bool found = false;
    for (const Primitive& p : layout.fixedPrimitives()) {
      if (std::holds_alternative<TextPrimitive>(p) && wanted-- == 0) {
        frame = frameOf(p);
        found = true;
        break;
      }
    }
    if (!found) return {};
  } else if (kind == Kind::separator) {
    return {};
  } else {
    // Scrolling content: its frame moves with the scroll offset and may lie outside the view.
    frame = contentFrame(index);
    if (frame == Rect{}) return {};
    frame.origin.y += layout.scrollFrame().minY() - widget_.scrollOffset();
  }
  const QRect local = toQRectF(frame).toAlignedRect();
  return QRect(widget_.mapToGlobal(local.topLeft()), local.size());
}

Rect ScreenReaderTree::contentFrame(std::size_t index) const {
  const Entry& e = entries_[index];
  const OverlayLayout& layout = widget_.overlayLayout();
  const bool system =
      e.kind == Kind::systemHeading || e.kind == Kind::systemSection || e.kind == Kind::systemRow;
  const auto grid = system ? OverlayLayout::Section::system : OverlayLayout::Section::application;
  switch (e.kind) {
    case Kind::emptyReason:
      return layout.emptyReason() ? layout.emptyReason()->frame : Rect{};
    case Kind::appHeading:
    case Kind::systemHeading:
      return layout.headingFrame(grid, e.group);
    case Kind::appRow:
    case Kind::systemRow:
      return layout.rowFrame(grid, e.group, e.item);
    case Kind::appSection:
    case Kind::systemSection: {
      // From the first line of rows to the last, across the grid.
      if (e.childCount == 0) return {};
      const Rect heading = layout.headingFrame(grid, e.group);
      const Rect first = layout.rowFrame(grid, e.group, 0);
      const Rect last = layout.rowFrame(grid, e.group, e.childCount - 1);
      return {{heading.minX(), first.minY()}, {heading.width(), last.maxY() - first.minY()}};
    }
    default:
      return {};
  }
}

bool ScreenReaderTree::isOffscreen(std::size_t index) const {
  if (index >= entries_.size()) return false;
  switch (entries_[index].kind) {
    case Kind::appName:
    case Kind::headerLabel:
    case Kind::languageSwitch:
    case Kind::separator:
      return false;
    default:
      return !contentFrame(index).intersects(widget_.visibleContentRect());
  }
}

void ScreenReaderTree::scrolled() {
  if (!QAccessible::isActive()) return;
  // Rows came into the view and others left it: each list's visible part changed.
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Kind kind = entries_[i].kind;
    if (kind != Kind::appSection && kind != Kind::systemSection) continue;
    QAccessibleEvent event(child(i), QAccessible::VisibleDataChanged);
    QAccessible::updateAccessibility(&event);
  }
}

void ScreenReaderTree::rowFocused(bool system, std::size_t group, std::size_t item) {
  if (!QAccessible::isActive()) return;
  const Kind kind = system ? Kind::systemRow : Kind::appRow;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    if (e.kind != kind || e.group != group || e.item != item) continue;
    QAccessibleEvent event(child(i), QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
    return;
  }
}

void ScreenReaderTree::textsChanged() {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent windowEvent(&widget_, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&windowEvent);
  for (QAccessibleInterface* child : children_) {
    if (child == nullptr) continue;
    QAccessibleEvent event(child, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
  }
}

}  // namespace tavrine::qt
