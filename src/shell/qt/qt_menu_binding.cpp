// SPDX-License-Identifier: MIT
#include "shell/qt/qt_menu_binding.h"

#include <QAction>
#include <QActionGroup>
#include <QKeyCombination>
#include <QMenu>
#include <QObject>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "harvest/key_equivalent.h"
#include "shell/qt/qt_text_measurer.h"

namespace tavrine::qt {
namespace {

// Menu texts are shown as they are: '&' would otherwise mark a mnemonic.
QString menuText(const std::string& title) {
  return toQString(title).replace(u'&', QStringLiteral("&&"));
}

// Qt's key for a key equivalent's character; none for a named key Qt has no key for.
std::optional<int> qtKeyFor(char32_t c, Qt::KeyboardModifiers& modifiers) {
  const std::optional<NamedKey> named = namedKey(c);
  if (!named) {
    // An upper-case letter means Shift; Qt names character keys by their upper-case form.
    if (QChar::isUpper(c)) modifiers |= Qt::ShiftModifier;
    return static_cast<int>(QChar::toUpper(c));
  }
  if (const int n = functionKeyNumber(*named)) return Qt::Key_F1 + n - 1;
  switch (*named) {
    case NamedKey::upArrow:
      return Qt::Key_Up;
    case NamedKey::downArrow:
      return Qt::Key_Down;
    case NamedKey::leftArrow:
      return Qt::Key_Left;
    case NamedKey::rightArrow:
      return Qt::Key_Right;
    case NamedKey::insert:
      return Qt::Key_Insert;
    case NamedKey::forwardDelete:
      return Qt::Key_Delete;
    case NamedKey::home:
      return Qt::Key_Home;
    case NamedKey::end:
      return Qt::Key_End;
    case NamedKey::pageUp:
      return Qt::Key_PageUp;
    case NamedKey::pageDown:
      return Qt::Key_PageDown;
    case NamedKey::printScreen:
      return Qt::Key_Print;
    case NamedKey::scrollLock:
      return Qt::Key_ScrollLock;
    case NamedKey::pause:
      return Qt::Key_Pause;
    case NamedKey::sysReq:
      return Qt::Key_SysReq;
    case NamedKey::menu:
      return Qt::Key_Menu;
    case NamedKey::help:
      return Qt::Key_Help;
    case NamedKey::clearLine:
      return Qt::Key_Clear;
    case NamedKey::enter:
      return Qt::Key_Enter;
    case NamedKey::returnKey:
      return Qt::Key_Return;
    case NamedKey::tab:
      return Qt::Key_Tab;
    case NamedKey::backTab:
      return Qt::Key_Backtab;
    case NamedKey::escape:
      return Qt::Key_Escape;
    case NamedKey::backspace:
      return Qt::Key_Backspace;
    case NamedKey::space:
      return Qt::Key_Space;
    default:
      return std::nullopt;
  }
}

}  // namespace

QKeySequence keySequenceFor(const MenuItem& item) {
  const QList<uint> characters = toQString(item.keyEquivalent()).toUcs4();
  if (characters.isEmpty()) return {};
  const modifier::Flags mask = item.keyEquivalentModifierMask();
  Qt::KeyboardModifiers modifiers;
  if (mask & modifier::kPrimary) modifiers |= Qt::ControlModifier;
  if (mask & modifier::kControl) modifiers |= Qt::MetaModifier;
  if (mask & modifier::kAlt) modifiers |= Qt::AltModifier;
  if (mask & modifier::kShift) modifiers |= Qt::ShiftModifier;
  const std::optional<int> key = qtKeyFor(static_cast<char32_t>(characters.front()), modifiers);
  if (!key) return {};
  return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(*key)));
}

// State shared with the Qt callbacks, which may outlive the binding (a menu deleted later).
struct QtMenuBinding::Shared {
  ResponderChainEnd responderChainEnd;
  QtMenuBinding* binding = nullptr;  // null once the binding is gone
  // Callbacks from a QMenu running now (core code and the refresh after it). That QMenu is inside
  // its own event handling, so menus are then deleted later rather than at once.
  int callbacks = 0;
};

// One QMenu and the model menu it shows.
struct QtMenuBinding::Node {
  struct Entry {
    MenuItemRef item;
    QAction* action = nullptr;  // owned by `menu` (a submenu's action by the submenu)
    std::unique_ptr<Node> submenu;
  };

  Node(MenuRef menuModel, std::shared_ptr<Shared> state)
      : model(std::move(menuModel)),
        shared(std::move(state)),
        menu(new QMenu),
        choices(new QActionGroup(menu)) {
    // Every opening, the root's and a submenu's alike: the model's delegate first, then a
    // refresh, since the delegate rewrites titles, actions and states right there.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [s = shared, m = model] {
      ++s->callbacks;
      m->willOpen();
      // The whole tree: a submenu's opening may change its parent, even replace this menu.
      if (s->binding) s->binding->sync();
      --s->callbacks;
    });
    rebuild();
  }

  ~Node() {
    entries.clear();  // submenus first
    if (shared->callbacks > 0) {
      menu->deleteLater();
    } else {
      delete menu;
    }
  }

  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  bool structureChanged() const {
    const auto& items = model->itemArray();
    if (items.size() != entries.size()) return true;
    for (std::size_t i = 0; i < items.size(); ++i) {
      const Entry& e = entries[i];
      if (e.item != items[i]) return true;
      const MenuRef& sub = items[i]->submenu();
      if ((e.submenu ? e.submenu->model : nullptr) != sub) return true;
    }
    return false;
  }

  void rebuild() {
    menu->clear();    // deletes the actions the menu owns
    entries.clear();  // and the submenus
    for (const MenuItemRef& item : model->itemArray()) {
      Entry e{item, nullptr, nullptr};
      if (!item) {
        // Nothing to show; kept so that entries and items stay aligned.
        entries.push_back(std::move(e));
        continue;
      }
      if (item->isSeparator()) {
        e.action = menu->addSeparator();
      } else if (item->submenu()) {
        e.submenu = std::make_unique<Node>(item->submenu(), shared);
        e.action = menu->addMenu(e.submenu->menu);
      } else {
        e.action = new QAction(menu);
        menu->addAction(e.action);
        QObject::connect(e.action, &QAction::triggered, e.action, [s = shared, item] {
          if (!s->binding) return;
          const std::shared_ptr<MenuActionTarget> end =
              s->responderChainEnd ? s->responderChainEnd() : nullptr;
          ++s->callbacks;
          performMenuItemAction(*item, end.get());
          // Qt toggled a checkable action by itself; the model says what it shows.
          if (s->binding) s->binding->sync();
          --s->callbacks;
        });
      }
      // Menu roles would move "About…" and "Quit" out of a tray menu on macOS.
      e.action->setMenuRole(QAction::NoRole);
      entries.push_back(std::move(e));
    }
  }

  void sync() {
    if (structureChanged()) rebuild();
    // Items that show a check mark: those of a menu where any item is on, like a choice list.
    // With one on, the items are one exclusive choice: a mark on the chosen item and nothing at
    // all on the others (not an empty box), and desktops that draw the menu themselves show it
    // as a choice.
    int on = 0;
    for (const Entry& e : entries)
      on += e.item && !e.item->isSeparator() && e.item->state() == ControlState::on ? 1 : 0;
    choices->setExclusionPolicy(on == 1 ? QActionGroup::ExclusionPolicy::Exclusive
                                        : QActionGroup::ExclusionPolicy::None);
    for (Entry& e : entries) {
      if (!e.item || e.item->isSeparator()) continue;
      const MenuItem& item = *e.item;
      if (e.submenu) {
        e.submenu->menu->setTitle(menuText(item.title()));
      } else {
        e.action->setText(menuText(item.title()));
        e.action->setCheckable(on > 0);
        e.action->setActionGroup(on == 1 ? choices : nullptr);
        e.action->setChecked(item.state() == ControlState::on);
        e.action->setShortcut(keySequenceFor(item));
        e.action->setShortcutVisibleInContextMenu(true);
      }
      e.action->setEnabled(item.isEnabled());
      if (e.submenu) e.submenu->sync();
    }
  }

  MenuRef model;
  std::shared_ptr<Shared> shared;
  QMenu* menu;
  QActionGroup* choices;  // owned by `menu`
  std::vector<Entry> entries;
};

QtMenuBinding::QtMenuBinding(MenuRef model, ResponderChainEnd responderChainEnd)
    : model_(std::move(model)), shared_(std::make_shared<Shared>()) {
  shared_->responderChainEnd = std::move(responderChainEnd);
  shared_->binding = this;
  if (!model_) model_ = std::make_shared<Menu>();
  root_ = std::make_unique<Node>(model_, shared_);
  root_->sync();
}

QtMenuBinding::~QtMenuBinding() {
  shared_->binding = nullptr;
}

QMenu* QtMenuBinding::menu() const {
  return root_->menu;
}

void QtMenuBinding::sync() {
  root_->sync();
}

}  // namespace tavrine::qt
