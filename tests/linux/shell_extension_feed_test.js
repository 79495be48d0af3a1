// SPDX-License-Identifier: MIT
// The GNOME Shell extension's feed (packaging/gnome-shell/feed.js) under gjs on a private session
// bus (dbus-run-session), with stand-ins for the shell's parts it uses: only the owner of Tavrine's
// name is served, no window title goes out, nothing of the keys while a shell dialog has the
// keyboard, and keys held while nobody listened count for nothing.
// Usage: dbus-run-session -- gjs shell_extension_feed_test.js FOLDER_OF_FEED_JS
'use strict';

const {Gio, GLib} = imports.gi;
imports.searchPath.unshift(ARGV[0]);
const {Feed} = imports.feed;

const PATH = '/io/github/tavrine/Tavrine/Shell';
const IFACE = 'io.github.tavrine.Tavrine.Shell1';
const BUS = 'org.freedesktop.DBus';
const CTRL = 4;
const KEY_A = 97;

const Clutter = {
  KEY_Shift_L: 1, KEY_Shift_R: 2, KEY_Control_L: 3, KEY_Control_R: 4, KEY_Alt_L: 5, KEY_Alt_R: 6,
  KEY_Meta_L: 7, KEY_Meta_R: 8, KEY_ISO_Level3_Shift: 9, KEY_Super_L: 10, KEY_Super_R: 11,
  KEY_Hyper_L: 12, KEY_Hyper_R: 13, KEY_Caps_Lock: 14,
  ModifierType: {SHIFT_MASK: 1, LOCK_MASK: 2, CONTROL_MASK: 4, MOD1_MASK: 8, MOD4_MASK: 64,
    MOD5_MASK: 128, SUPER_MASK: 1 << 26, HYPER_MASK: 1 << 27},
  EventType: {KEY_PRESS: 1, KEY_RELEASE: 2},
  event: null,
  get_current_event() {
    return this.event;
  },
};
// The idle monitor runs its user-active watch once, for the next input event.
const idle = {
  watch: null,
  add_user_active_watch(callback) {
    this.watch = callback;
    return 1;
  },
  remove_watch() {
    this.watch = null;
  },
};
const window = {get_pid: () => 4242, get_title: () => 'Secret plans', get_wm_class: () => 'editor'};
const shellGlobal = {
  backend: {get_core_idle_monitor: () => idle},
  display: {focus_window: window, connect: () => 1, disconnect() {}},
};
const Shell = {
  WindowTracker: {get_default: () => ({get_window_app: () => ({get_name: () => 'Editor'})})},
};
const Main = {modalCount: 0, sessionMode: {isLocked: false}};

function key(type, sym, state) {
  Clutter.event = {type: () => type, get_key_symbol: () => sym, get_state: () => state};
  const watch = idle.watch;
  idle.watch = null;
  watch?.();
}
const press = (sym, state = 0) => key(Clutter.EventType.KEY_PRESS, sym, state);
const release = (sym, state = 0) => key(Clutter.EventType.KEY_RELEASE, sym, state);

function settle() {
  return new Promise(resolve => GLib.timeout_add(GLib.PRIORITY_DEFAULT, 100, () => {
    resolve();
    return GLib.SOURCE_REMOVE;
  }));
}

// A client of the bus that records every signal of the extension's interface it receives.
function client() {
  const bus = Gio.DBusConnection.new_for_address_sync(
    GLib.getenv('DBUS_SESSION_BUS_ADDRESS'),
    Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
      Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, null, null);
  const heard = [];
  bus.signal_subscribe(null, IFACE, null, PATH, null, Gio.DBusSignalFlags.NONE,
    (_c, _sender, _p, _i, signal, params) => heard.push([signal, params.recursiveUnpack()]));
  return {bus, heard};
}

function call(bus, name, iface, path, method, args = null) {
  return new Promise(resolve => bus.call(name, path, iface, method, args, null,
    Gio.DBusCallFlags.NONE, 5000, null, (c, result) => {
      try {
        resolve(c.call_finish(result).deepUnpack());
      } catch (e) {
        resolve(e);
      }
    }));
}
const feedCall = (who, method) =>
  call(who.bus, Gio.DBus.session.get_unique_name(), IFACE, PATH, method);
const busCall = (who, method, args) =>
  call(who.bus, BUS, BUS, '/org/freedesktop/DBus', method, args);

let failures = 0;
function check(ok, what) {
  print(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  if (!ok)
    failures++;
}
const modifiers = who => who.heard.filter(([s]) => s === 'Modifiers').map(([, [held]]) => held);
const keys = who => who.heard.filter(([s]) => s === 'Key').length;

async function run() {
  const feed = new Feed({Clutter, Gio, GLib, Shell}, shellGlobal, Main);
  feed.enable();
  const tavrine = client();
  const other = client();
  await busCall(tavrine, 'RequestName', new GLib.Variant('(su)', ['io.github.tavrine.Tavrine', 4]));

  const accepted = await feedCall(tavrine, 'Subscribe');
  check(!(accepted instanceof GLib.Error), `the name's owner subscribes (${accepted})`);
  const refused = await feedCall(other, 'Subscribe');
  check(refused instanceof GLib.Error && refused.message.includes('AccessDenied'),
    `another client's Subscribe is refused (${refused})`);
  await settle();
  const focus = tavrine.heard.find(([s]) => s === 'Focus');
  check(JSON.stringify(focus) === '["Focus",[4242,"editor","Editor"]]',
    `the focus is pid, class and name (${JSON.stringify(focus)})`);
  check(!JSON.stringify(tavrine.heard).includes('Secret'), 'no window title is sent');

  press(Clutter.KEY_Control_L);
  press(KEY_A, CTRL);
  Main.modalCount = 1;  // a password prompt takes the keyboard
  press(KEY_A, CTRL);
  Main.modalCount = 0;
  await settle();
  check(keys(tavrine) === 1,
    `keys reach Tavrine, none while a shell dialog has the keyboard (${keys(tavrine)})`);
  check(JSON.stringify(modifiers(tavrine)) === '[0,4,0]',
    `Ctrl held, then let go when the dialog came (${modifiers(tavrine)})`);
  check(JSON.stringify(other.heard.filter(([s]) => s !== 'Ready')) === '[]',
    'the other client hears nothing');

  // Ctrl goes down, Tavrine unsubscribes, Ctrl comes up unseen: subscribed again, nothing is held.
  press(Clutter.KEY_Control_L);
  await feedCall(tavrine, 'Unsubscribe');
  release(Clutter.KEY_Control_L, CTRL);
  tavrine.heard.length = 0;
  await feedCall(tavrine, 'Subscribe');
  await settle();
  check(JSON.stringify(modifiers(tavrine)) === '[0]',
    `a new subscription starts with nothing held (${modifiers(tavrine)})`);

  // A forged change of owner is not believed; a real one ends the subscription.
  other.bus.emit_signal(Gio.DBus.session.get_unique_name(), '/org/freedesktop/DBus', BUS,
    'NameOwnerChanged', new GLib.Variant('(sss)', ['io.github.tavrine.Tavrine', '', '']));
  await settle();
  press(KEY_A);
  await settle();
  check(keys(tavrine) === 1, 'a forged change of owner leaves the subscription');
  await busCall(tavrine, 'ReleaseName', new GLib.Variant('(s)', ['io.github.tavrine.Tavrine']));
  await settle();
  press(KEY_A);
  await settle();
  check(keys(tavrine) === 1, 'once Tavrine\'s name changes hands its former owner hears nothing');
  feed.disable();
}

const loop = new GLib.MainLoop(null, false);
run().catch(e => {
  logError(e);
  failures++;
}).finally(() => loop.quit());
loop.run();
imports.system.exit(failures > 0 ? 1 : 0);
