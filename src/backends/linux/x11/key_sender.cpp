// SPDX-License-Identifier: MIT
#include "backends/linux/x11/key_sender.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <bit>
#include <memory>
#include <utility>

#include "backends/linux/x11/display.h"
#include "backends/linux/x11/modifiers.h"
#include "text/unicode.h"

namespace tavrine::x11 {
namespace {

// Named keys and their keysyms; the keys of old terminals that no X keyboard has are left out.
constexpr std::pair<NamedKey, unsigned long> kNamedKeysyms[] = {
    {NamedKey::upArrow, XK_Up},
    {NamedKey::downArrow, XK_Down},
    {NamedKey::leftArrow, XK_Left},
    {NamedKey::rightArrow, XK_Right},
    {NamedKey::insert, XK_Insert},
    {NamedKey::forwardDelete, XK_Delete},
    {NamedKey::home, XK_Home},
    {NamedKey::begin, XK_Begin},
    {NamedKey::end, XK_End},
    {NamedKey::pageUp, XK_Prior},
    {NamedKey::pageDown, XK_Next},
    {NamedKey::printScreen, XK_Print},
    {NamedKey::print, XK_Print},
    {NamedKey::scrollLock, XK_Scroll_Lock},
    {NamedKey::pause, XK_Pause},
    {NamedKey::sysReq, XK_Sys_Req},
    {NamedKey::breakKey, XK_Break},
    {NamedKey::menu, XK_Menu},
    {NamedKey::select, XK_Select},
    {NamedKey::execute, XK_Execute},
    {NamedKey::undo, XK_Undo},
    {NamedKey::redo, XK_Redo},
    {NamedKey::find, XK_Find},
    {NamedKey::help, XK_Help},
    {NamedKey::modeSwitch, XK_Mode_switch},
    {NamedKey::enter, XK_KP_Enter},
    {NamedKey::returnKey, XK_Return},
    {NamedKey::tab, XK_Tab},
    {NamedKey::backTab, XK_ISO_Left_Tab},
    {NamedKey::escape, XK_Escape},
    {NamedKey::backspace, XK_BackSpace},
    {NamedKey::space, XK_space},
};

unsigned long namedKeysym(NamedKey key) {
  if (const int f = functionKeyNumber(key); f != 0) return XK_F1 + static_cast<unsigned>(f - 1);
  for (const auto& [named, keysym] : kNamedKeysyms)
    if (named == key) return keysym;
  return NoSymbol;
}

// The core modifiers a chord holds down: Ctrl is primary, Super control, as the key watcher reads
// them.
unsigned chordMods(const KeyChord& chord) {
  return (chord.primary ? xmask::kControl : 0) | (chord.shift ? xmask::kShift : 0) |
         (chord.alt ? xmask::kMod1 : 0) | (chord.control ? xmask::kMod4 : 0);
}

struct KeyboardDeleter {
  void operator()(XkbDescPtr xkb) const { XkbFreeKeyboard(xkb, 0, True); }
};
using Keyboard = std::unique_ptr<XkbDescRec, KeyboardDeleter>;

// The group a key shows in the keyboard's `group`, by the key's rule for groups it lacks.
int keyGroup(XkbDescPtr xkb, unsigned keycode, int group) {
  const int groups = XkbKeyNumGroups(xkb, keycode);
  if (group < groups) return group;
  const unsigned char info = XkbKeyGroupInfo(xkb, keycode);
  switch (XkbOutOfRangeGroupAction(info)) {
    case XkbClampIntoRange:
      return groups - 1;
    case XkbRedirectIntoRange: {
      const int redirected = XkbOutOfRangeGroupNumber(info);
      return redirected < groups ? redirected : 0;
    }
    default:
      return group % groups;
  }
}

// The modifiers that select `level` of the key's type in `group`, without Lock (whose state is
// the user's); none when only Lock reaches it.
std::optional<unsigned> levelMods(XkbDescPtr xkb, unsigned keycode, int group, int level) {
  if (level == 0) return 0U;
  const XkbKeyTypePtr type = XkbKeyKeyType(xkb, keycode, group);
  std::optional<unsigned> best;
  for (int i = 0; i < type->map_count; ++i) {
    const XkbKTMapEntryRec& entry = type->map[i];
    const unsigned mods = entry.mods.mask;
    if (!entry.active || entry.level != level || (mods & LockMask) != 0) continue;
    if (!best || std::popcount(mods) < std::popcount(*best)) best = mods;
  }
  return best;
}

// The key that types `keysym` in `group` at the lowest level.
std::optional<LayoutKey> findKey(XkbDescPtr xkb, unsigned long keysym, int group) {
  std::optional<LayoutKey> best;
  int bestLevel = 0;
  for (unsigned keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
    if (XkbKeyNumGroups(xkb, keycode) == 0) continue;
    const int g = keyGroup(xkb, keycode, group);
    const int width = XkbKeyGroupWidth(xkb, keycode, g);
    for (int level = 0; level < width && (!best || level < bestLevel); ++level) {
      if (XkbKeySymEntry(xkb, keycode, level, g) != keysym) continue;
      if (const std::optional<unsigned> mods = levelMods(xkb, keycode, g, level)) {
        best = LayoutKey{keycode, *mods};
        bestLevel = level;
      }
    }
  }
  return best;
}

// The first key bound to each modifier alone whose symbol is a modifier's.
ModifierKeys modifierKeys(XkbDescPtr xkb) {
  ModifierKeys keys{};
  for (unsigned keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
    const unsigned mods = xkb->map->modmap[keycode];
    if (!std::has_single_bit(mods) || XkbKeyNumSyms(xkb, keycode) == 0) continue;
    const KeySym sym = XkbKeySymEntry(xkb, keycode, 0, 0);
    unsigned& key = keys[static_cast<std::size_t>(std::countr_zero(mods))];
    if (key == 0 && IsModifierKey(sym)) key = keycode;
  }
  return keys;
}

// While it lives, the server serves this connection alone; released on every way out, or every
// other client of the desktop would freeze.
class ServerGrab {
 public:
  explicit ServerGrab(Display* display) : display_(display) { XGrabServer(display_); }
  ~ServerGrab() {
    XUngrabServer(display_);
    XFlush(display_);
  }
  ServerGrab(const ServerGrab&) = delete;
  ServerGrab& operator=(const ServerGrab&) = delete;

 private:
  Display* display_;
};

}  // namespace

unsigned long chordKeysym(const KeyChord::Key& key) {
  if (const auto* named = std::get_if<NamedKey>(&key)) return namedKeysym(*named);
  const auto* printable = std::get_if<std::string>(&key);
  const std::optional<char32_t> c = printable ? text::singleCodePoint(*printable) : std::nullopt;
  if (!c) return NoSymbol;
  return xkb_keysym_to_lower(xkb_utf32_to_keysym(static_cast<std::uint32_t>(*c)));
}

std::optional<std::vector<KeyEvent>> chordEvents(const KeyChord& chord, LayoutKey key,
                                                 const ModifierKeys& modifierKeys) {
  const unsigned mods = chordMods(chord) | key.levelMods;
  std::vector<KeyEvent> events;
  for (std::size_t bit = 0; bit < modifierKeys.size(); ++bit) {
    if ((mods & (1U << bit)) == 0) continue;
    if (modifierKeys[bit] == 0) return std::nullopt;
    events.emplace_back(modifierKeys[bit], true);
  }
  const std::size_t held = events.size();
  events.emplace_back(key.keycode, true);
  events.emplace_back(key.keycode, false);
  for (std::size_t i = held; i-- > 0;)
    events.emplace_back(events[i].first, false);
  return events;
}

X11KeySender::X11KeySender(const std::string& displayName)
    : display_(std::make_unique<X11Display>(displayName.empty() ? nullptr : displayName.c_str())) {
  if (!display_->isOpen()) return;
  int event = 0, error = 0, major = 0, minor = 0, opcode = 0;
  usable_ = XTestQueryExtension(display_->get(), &event, &error, &major, &minor) != 0;
  major = XkbMajorVersion;
  minor = XkbMinorVersion;
  usable_ =
      usable_ && XkbQueryExtension(display_->get(), &opcode, &event, &error, &major, &minor) != 0;
}

X11KeySender::~X11KeySender() = default;

std::optional<std::vector<KeyEvent>> X11KeySender::eventsFor(const KeyChord& chord) const {
  const unsigned long keysym = chordKeysym(chord.key);
  if (!usable_ || keysym == NoSymbol) return std::nullopt;
  Display* d = display_->get();
  XkbStateRec state{};
  if (XkbGetState(d, XkbUseCoreKbd, &state) != Success) return std::nullopt;
  const Keyboard xkb(
      XkbGetMap(d, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd));
  if (!xkb || xkb->map == nullptr) return std::nullopt;
  const std::optional<LayoutKey> key = findKey(xkb.get(), keysym, state.group);
  if (!key) return std::nullopt;
  return chordEvents(chord, *key, modifierKeys(xkb.get()));
}

bool X11KeySender::canType(const KeyChord& chord) const {
  return eventsFor(chord).has_value();
}

bool X11KeySender::readyFor(WindowHandle window) const {
  if (!usable_ || window == 0) return false;
  Display* d = display_->get();
  XkbStateRec state{};
  if (XkbGetState(d, XkbUseCoreKbd, &state) != Success ||
      ((state.base_mods | state.latched_mods) & ~LockMask) != 0) {
    return false;
  }
  const Window root = display_->root();
  if (display_->hasProperty(root, display_->atom("_NET_SUPPORTING_WM_CHECK"))) {
    const std::optional<std::vector<unsigned long>> active =
        display_->readLongs(root, display_->atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 1);
    if (!active || active->empty() || active->front() != window) return false;
  }
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(d, &focus, &revert);
  // Up from the focus to the top-level window, a few dozen levels at most.
  for (int depth = 0; focus > PointerRoot && focus != root && depth < 64; ++depth) {
    if (focus == window) return true;
    Window treeRoot = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(d, focus, &treeRoot, &parent, &children, &count) == 0) return false;
    if (children != nullptr) XFree(children);
    focus = parent;
  }
  return false;
}

bool X11KeySender::send(WindowHandle window, const KeyChord& chord) {
  if (!usable_) return false;
  const ServerGrab grab(display_->get());
  if (!readyFor(window)) return false;
  const std::optional<std::vector<KeyEvent>> events = eventsFor(chord);
  if (!events) return false;
  for (const auto& [keycode, press] : *events)
    XTestFakeKeyEvent(display_->get(), keycode, press ? True : False, CurrentTime);
  return display_->syncSucceeded();
}

}  // namespace tavrine::x11
