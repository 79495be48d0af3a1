// SPDX-License-Identifier: MIT
// What Tavrine needs from GNOME Shell and cannot see itself on Wayland: whether Ctrl is held
// alone, that some other key came, and which application's window has the focus (its pid and
// class, no title). Sent to one subscriber, the current owner of Tavrine's bus name, as signals
// addressed to it: no key codes, no text, nothing to anyone else, and nothing of the keys while
// the screen is locked or one of the shell's own dialogs (a password prompt) has the keyboard.
// Written without import or export so that both extension formats can load it: the ES-module
// build appends its export line.

const PATH = '/io/github/tavrine/Tavrine/Shell';
const IFACE = 'io.github.tavrine.Tavrine.Shell1';
const TAVRINE = 'io.github.tavrine.Tavrine';
const BUS = 'org.freedesktop.DBus';
const BUS_PATH = '/org/freedesktop/DBus';
const XML = `<node><interface name="${IFACE}">
  <method name="Subscribe"/>
  <method name="Unsubscribe"/>
  <signal name="Modifiers"><arg type="u" name="held"/></signal>
  <signal name="Key"/>
  <signal name="Focus">
    <arg type="u" name="pid"/><arg type="s" name="wmClass"/><arg type="s" name="appName"/>
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
  // gi: {Clutter, Gio, GLib, Shell}; shell: GNOME Shell's `global`; main: its ui/main module.
  constructor(gi, shell, main) {
    this._gi = gi;
    this._global = shell;
    this._main = main;
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
    this._subscriber = null;  // the unique name that owned Tavrine's name when it subscribed
    this._reset();
    this._idle = this._global.backend.get_core_idle_monitor();
    this._watch = 0;
    this._object = Gio.DBusExportedObject.wrapJSObject(XML, this);
    this._object.export(Gio.DBus.session, PATH);
    // Tavrine's name changing hands ends the subscription (its owner quit, or another took it).
    // With the bus named as sender GDBus passes on only what the bus itself sent, not a forgery
    // addressed to us.
    this._owners = Gio.DBus.session.signal_subscribe(BUS, BUS, 'NameOwnerChanged', BUS_PATH,
      TAVRINE, Gio.DBusSignalFlags.NONE, (_c, _sender, _p, _i, _s, params) => {
        if (params.deepUnpack()[2] !== this._subscriber)
          this._drop();
      });
    this._focus = this._global.display.connect('notify::focus-window', () => this._sendFocus());
    // Whoever subscribed before a restart of the extension asks again.
    this._emit(null, 'Ready', null);
  }

  disable() {
    this._send('Stopped', null);
    this._drop();
    this._gi.Gio.DBus.session.signal_unsubscribe(this._owners);
    this._global.display.disconnect(this._focus);
    this._object.unexport();
    this._object = null;
  }

  // Served only when the caller owns Tavrine's name now, as the bus says.
  SubscribeAsync(_params, invocation) {
    const {Gio, GLib} = this._gi;
    const name = invocation.get_sender();
    Gio.DBus.session.call(BUS, BUS_PATH, BUS, 'GetNameOwner', new GLib.Variant('(s)', [TAVRINE]),
      new GLib.VariantType('(s)'), Gio.DBusCallFlags.NONE, -1, null, (bus, result) => {
        let owner = null;
        try {
          [owner] = bus.call_finish(result).deepUnpack();
        } catch {
          // No owner: nobody may subscribe.
        }
        if (owner !== name || !this._object) {
          invocation.return_dbus_error('org.freedesktop.DBus.Error.AccessDenied',
            'Only the owner of io.github.tavrine.Tavrine may subscribe');
          return;
        }
        invocation.return_value(null);
        if (this._subscriber !== name) {
          // Keys held or let go while nobody listened are unknown: nothing counts as held.
          this._reset();
          this._subscriber = name;
        }
        this._listen(true);
        this._sent = this._held();
        this._send('Modifiers', new GLib.Variant('(u)', [this._sent]));
        this._sendFocus();
      });
  }

  UnsubscribeAsync(_params, invocation) {
    if (invocation.get_sender() === this._subscriber)
      this._drop();
    invocation.return_value(null);
  }

  _drop() {
    this._subscriber = null;
    this._listen(false);
  }

  _reset() {
    this._down = new Set();  // modifier keysyms held
    this._locked = false;
    this._sent = -1;
  }

  // The screen locked, or one of the shell's modal dialogs (a password prompt among them) has the
  // keyboard: the typing there is nobody's business.
  _private() {
    return this._main.sessionMode.isLocked || this._main.modalCount > 0;
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
    const {Clutter} = this._gi;
    const event = Clutter.get_current_event();
    if (!event)
      return;
    const type = event.type();
    if (type !== Clutter.EventType.KEY_PRESS && type !== Clutter.EventType.KEY_RELEASE)
      return;
    if (this._private()) {
      // A hold under way ends; nothing more is said until the shell lets go of the keyboard.
      this._down.clear();
      this._sendHeld();
      return;
    }
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
        this._send('Key', null);
      return;
    }
    this._sendHeld();
  }

  _sendHeld() {
    const held = this._held();
    if (held === this._sent)
      return;
    this._sent = held;
    this._send('Modifiers', new this._gi.GLib.Variant('(u)', [held]));
  }

  _sendFocus() {
    const {GLib, Shell} = this._gi;
    const win = this._global.display.focus_window;
    let focus = [0, '', ''];
    if (win) {
      const app = Shell.WindowTracker.get_default().get_window_app(win);
      focus = [Math.max(win.get_pid(), 0), win.get_wm_class() ?? '', app?.get_name() ?? ''];
    }
    this._send('Focus', new GLib.Variant('(uss)', focus));
  }

  _send(signal, args) {
    if (this._subscriber)
      this._emit(this._subscriber, signal, args);
  }

  _emit(destination, signal, args) {
    try {
      this._gi.Gio.DBus.session.emit_signal(destination, PATH, IFACE, signal, args);
    } catch (e) {
      logError(e, `Tavrine: ${signal}`);
    }
  }
};
