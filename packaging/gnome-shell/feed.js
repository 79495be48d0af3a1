// SPDX-License-Identifier: MIT
// What Tavrine needs from GNOME Shell and cannot see itself on Wayland: whether Ctrl is held
// alone, that some other key came, and which window has the focus. Sent only to the programs that
// asked (Subscribe), as signals addressed to them: no key codes, no text, nothing to anyone else.
// Written without import or export so that both extension formats can load it: the ES-module
// build appends its export line.

const PATH = '/io/github/tavrine/Tavrine/Shell';
const IFACE = 'io.github.tavrine.Tavrine.Shell1';
const XML = `<node><interface name="${IFACE}">
  <method name="Subscribe"/>
  <method name="Unsubscribe"/>
  <signal name="Modifiers"><arg type="u" name="held"/></signal>
  <signal name="Key"/>
  <signal name="Focus">
    <arg type="u" name="pid"/><arg type="s" name="title"/>
    <arg type="s" name="wmClass"/><arg type="s" name="appName"/>
  </signal>
  <signal name="Ready"/>
  <signal name="Stopped"/>
</interface></node>`;

// The held modifiers as Modifiers reports them.
const SHIFT = 1;
const CAPS_LOCK = 2;
const CTRL = 4;
const ALT = 8;
const SUPER = 16;

var Feed = class {
  // gi: {Gio, Clutter, Shell}; shell: GNOME Shell's `global`.
  constructor(gi, shell) {
    this._gi = gi;
    this._global = shell;
    const {Clutter} = gi;
    this._bits = new Map([
      [Clutter.KEY_Shift_L, SHIFT], [Clutter.KEY_Shift_R, SHIFT],
      [Clutter.KEY_Control_L, CTRL], [Clutter.KEY_Control_R, CTRL],
      [Clutter.KEY_Alt_L, ALT], [Clutter.KEY_Alt_R, ALT],
      [Clutter.KEY_Meta_L, ALT], [Clutter.KEY_Meta_R, ALT],
      [Clutter.KEY_ISO_Level3_Shift, ALT],
      [Clutter.KEY_Super_L, SUPER], [Clutter.KEY_Super_R, SUPER],
      [Clutter.KEY_Hyper_L, SUPER], [Clutter.KEY_Hyper_R, SUPER],
    ]);
    this._masks = new Map([
      [SHIFT, Clutter.ModifierType.SHIFT_MASK], [CTRL, Clutter.ModifierType.CONTROL_MASK],
      [ALT, Clutter.ModifierType.MOD1_MASK | Clutter.ModifierType.MOD5_MASK],
      [SUPER, Clutter.ModifierType.SUPER_MASK | Clutter.ModifierType.MOD4_MASK |
        Clutter.ModifierType.HYPER_MASK],
    ]);
  }

  enable() {
    const {Gio} = this._gi;
    this._subscribers = new Map();  // unique bus name -> name watch
    this._down = new Set();         // modifier keysyms held
    this._locked = false;
    this._sent = -1;
    this._idle = this._global.backend.get_core_idle_monitor();
    this._watch = 0;
    this._object = Gio.DBusExportedObject.wrapJSObject(XML, this);
    this._object.export(Gio.DBus.session, PATH);
    this._focus = this._global.display.connect('notify::focus-window', () => this._sendFocus());
    // Whoever subscribed before a restart of the extension asks again.
    this._emit(null, 'Ready', null);
  }

  disable() {
    for (const [name, watch] of this._subscribers) {
      this._gi.Gio.bus_unwatch_name(watch);
      this._emit(name, 'Stopped', null);
    }
    this._subscribers.clear();
    this._listen(false);
    this._global.display.disconnect(this._focus);
    this._object.unexport();
    this._object = null;
  }

  SubscribeAsync(_params, invocation) {
    const {Gio} = this._gi;
    const name = invocation.get_sender();
    if (!this._subscribers.has(name)) {
      this._subscribers.set(name, Gio.bus_watch_name_on_connection(Gio.DBus.session, name,
        Gio.BusNameWatcherFlags.NONE, null, () => this._drop(name)));
    }
    invocation.return_value(null);
    this._listen(true);
    this._emit(name, 'Modifiers', new this._gi.GLib.Variant('(u)', [this._held()]));
    this._sendFocus(name);
  }

  UnsubscribeAsync(_params, invocation) {
    this._drop(invocation.get_sender());
    invocation.return_value(null);
  }

  _drop(name) {
    const watch = this._subscribers.get(name);
    if (watch === undefined)
      return;
    this._gi.Gio.bus_unwatch_name(watch);
    this._subscribers.delete(name);
    if (this._subscribers.size === 0)
      this._listen(false);
  }

  // Nobody subscribed, nothing watched. The idle monitor's user-active watch runs for every input
  // event while Mutter handles it, before the focused client has the key (Mutter's own event
  // filter keeps key events for Wayland clients from the stage and from later filters).
  _listen(on) {
    if (on && this._watch === 0) {
      this._watch = this._idle.add_user_active_watch(() => {
        this._watch = 0;
        this._listen(true);
        this._onInput();
      });
    } else if (!on && this._watch !== 0) {
      this._idle.remove_watch(this._watch);
      this._watch = 0;
    }
  }

  _held() {
    let held = this._locked ? CAPS_LOCK : 0;
    for (const sym of this._down)
      held |= this._bits.get(sym);
    return held;
  }

  _onInput() {
    const {Clutter, GLib} = this._gi;
    const event = Clutter.get_current_event();
    if (!event)
      return;
    const type = event.type();
    if (type !== Clutter.EventType.KEY_PRESS && type !== Clutter.EventType.KEY_RELEASE)
      return;
    const press = type === Clutter.EventType.KEY_PRESS;
    const sym = event.get_key_symbol();
    const state = event.get_state();  // before this key
    // A key whose release went elsewhere (a grab, a lock screen) is up if the state says so.
    for (const held of [...this._down]) {
      if (held !== sym && (state & this._masks.get(this._bits.get(held))) === 0)
        this._down.delete(held);
    }
    this._locked = (state & Clutter.ModifierType.LOCK_MASK) !== 0;
    if (sym === Clutter.KEY_Caps_Lock) {
      if (press)
        this._locked = !this._locked;
    } else if (this._bits.has(sym)) {
      if (press)
        this._down.add(sym);
      else
        this._down.delete(sym);
    } else {
      if (press)
        this._emitAll('Key', null);
      return;
    }
    const held = this._held();
    if (held === this._sent)
      return;
    this._sent = held;
    this._emitAll('Modifiers', new GLib.Variant('(u)', [held]));
  }

  _sendFocus(only) {
    const {GLib, Shell} = this._gi;
    const win = this._global.display.focus_window;
    let focus = [0, '', '', ''];
    if (win) {
      const app = Shell.WindowTracker.get_default().get_window_app(win);
      focus = [Math.max(win.get_pid(), 0), win.get_title() ?? '', win.get_wm_class() ?? '',
        app?.get_name() ?? ''];
    }
    const args = new GLib.Variant('(usss)', focus);
    if (only)
      this._emit(only, 'Focus', args);
    else
      this._emitAll('Focus', args);
  }

  _emitAll(signal, args) {
    for (const name of this._subscribers.keys())
      this._emit(name, signal, args);
  }

  _emit(destination, signal, args) {
    try {
      this._gi.Gio.DBus.session.emit_signal(destination, PATH, IFACE, signal, args);
    } catch (e) {
      logError(e, `Tavrine: ${signal}`);
    }
  }
};
