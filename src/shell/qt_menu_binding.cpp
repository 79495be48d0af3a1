#include "shell/qt_menu_binding.h"

#include <QAction>
#include <QKeyCombination>
#include <QMenu>
#include <QObject>
#include <QString>
#include <utility>
#include <vector>

#include "shell/qt_text_measurer.h"

namespace tavrine::qt {
namespace {

// Menu texts are shown as they are: '&' would otherwise mark a mnemonic.
QString menuText(const std::string& title) {
  return toQString(title).replace(u'&', QStringLiteral("&&"));
}

int qtKeyFor(char32_t c, Qt::KeyboardModifiers& modifiers) {
  // AppKit's key-equivalent characters for keys without a printable character.
  constexpr char32_t kF1 = 0xF704, kF35 = 0xF726;
  if (c >= kF1 && c <= kF35) return Qt::Key_F1 + static_cast<int>(c - kF1);
  switch (c) {
    case U'\r':
    case U'\n':
      return Qt::Key_Return;
    case 0x03:
      return Qt::Key_Enter;
    case U'\t':
      return Qt::Key_Tab;
    case 0x1B:
      return Qt::Key_Escape;
    case 0x08:
    case 0x7F:
      return Qt::Key_Backspace;
    case U' ':
      return Qt::Key_Space;
    case 0xF700:
      return Qt::Key_Up;
    case 0xF701:
      return Qt::Key_Down;
    case 0xF702:
      return Qt::Key_Left;
    case 0xF703:
      return Qt::Key_Right;
    case 0xF728:
      return Qt::Key_Delete;
    case 0xF729:
      return Qt::Key_Home;
    case 0xF72B:
      return Qt::Key_End;
    case 0xF72C:
      return Qt::Key_PageUp;
    case 0xF72D:
      return Qt::Key_PageDown;
    default:
      break;
  }
  // An upper-case letter means Shift; Qt names character keys by their upper-case form.
  if (QChar::isUpper(c)) modifiers |= Qt::ShiftModifier;
  return static_cast<int>(QChar::toUpper(c));
}

}  // namespace

QKeySequence keySequenceFor(const MenuItem& item) {
  const QList<uint> characters = toQString(item.keyEquivalent()).toUcs4();
  if (characters.isEmpty()) return {};
  const modifier::Flags mask = item.keyEquivalentModifierMask();
  Qt::KeyboardModifiers modifiers;
  if (mask & modifier::kCommand) modifiers |= Qt::ControlModifier;
  if (mask & modifier::kControl) modifiers |= Qt::MetaModifier;
  if (mask & modifier::kOption) modifiers |= Qt::AltModifier;
  if (mask & modifier::kShift) modifiers |= Qt::ShiftModifier;
  const int key = qtKeyFor(static_cast<char32_t>(characters.front()), modifiers);
  return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
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
      : model(std::move(menuModel)), shared(std::move(state)), menu(new QMenu) {
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
    bool anyOn = false;
    for (const Entry& e : entries)
      anyOn = anyOn || (e.item && !e.item->isSeparator() && e.item->state() == ControlState::on);
    for (Entry& e : entries) {
      if (!e.item || e.item->isSeparator()) continue;
      const MenuItem& item = *e.item;
      if (e.submenu) {
        e.submenu->menu->setTitle(menuText(item.title()));
      } else {
        e.action->setText(menuText(item.title()));
        e.action->setCheckable(anyOn);
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
