// SPDX-License-Identifier: MIT
// The GNOME Shell extension's feed under gjs on a private session bus, with stand-ins for the
// shell's parts it uses. Usage: dbus-run-session -- gjs THIS_FILE FOLDER_OF_FEED_JS
'use strict';

const {Gio, GLib} = imports.gi;
imports.searchPath.unshift(ARGV[0]);
const {Feed} = imports.feed;

const PATH = '/io/github/tavrine/Tavrine/Shell';
const BUS = 'org.freedesktop.DBus';
const [CTRL, KEY_A, PRESS, RELEASE] = [4, 97, 1, 2];

const Clutter = {
  KEY_Shift_L: 1, KEY_Shift_R: 2, KEY_Control_L: 3, KEY_Control_R: 4, KEY_Alt_L: 5, KEY_Alt_R: 6,
  KEY_Meta_L: 7, KEY_Meta_R: 8, KEY_ISO_Level3_Shift: 9, KEY_Super_L: 10, KEY_Super_R: 11,
  KEY_Hyper_L: 12, KEY_Hyper_R: 13, KEY_Caps_Lock: 14,
  ModifierType: {SHIFT_MASK: 1, LOCK_MASK: 2, CONTROL_MASK: 4, MOD1_MASK: 8, MOD4_MASK: 64,
    MOD5_MASK: 128, SUPER_MASK: 1 << 26, HYPER_MASK: 1 << 27},
  EventType: {KEY_PRESS: PRESS, KEY_RELEASE: RELEASE},
  get_current_event: () => Clutter.event,
};
// The idle monitor runs its user-active watch once, for the next input event.
const idle = {
  add_user_active_watch: watch => (idle.watch = watch, 1),
  remove_watch: () => (idle.watch = null),
};
const window = {get_pid: () => 4242, get_title: () => 'Secret plans', get_wm_class: () => 'editor'};
const shellGlobal = {
  backend: {get_core_idle_monitor: () => idle},
  display: {focus_window: window, connect: () => 1, disconnect() {}},
};
const app = {get_name: () => 'Ed'};
const Shell = {WindowTracker: {get_default: () => ({get_window_app: () => app})}};
const Main = {modalCount: 0, sessionMode: {isLocked: false}};

function key(type, sym, state = 0) {
  Clutter.event = {type: () => type, get_key_symbol: () => sym, get_state: () => state};
  const watch = idle.watch;
  idle.watch = null;
  watch?.();
}
const settle = () => new Promise(done => GLib.timeout_add(0, 100, () => done() ?? false));

// A client of the bus that records the extension's signals it receives.
function client() {
  const bus = Gio.DBusConnection.new_for_address_sync(GLib.getenv('DBUS_SESSION_BUS_ADDRESS'),
    Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
    null, null);
  const heard = [];
  bus.signal_subscribe(null, 'io.github.tavrine.Tavrine.Shell1', null, PATH, null, 0,
    (...[, , , , signal, params]) => heard.push([signal, params.recursiveUnpack()]));
  const call = (name, iface, path, method, args = null) => new Promise(done => bus.call(name, path,
    iface, method, args, null, 0, 5000, null, (_, result) => {
      try {
        done(bus.call_finish(result).deepUnpack());
      } catch (e) {
        done(e);
      }
    }));
  return {
    bus, heard,
    feed: method => call(Gio.DBus.session.get_unique_name(), 'io.github.tavrine.Tavrine.Shell1',
      PATH, method),
    name: (method, ...args) => call(BUS, BUS, '/org/freedesktop/DBus', method,
      new GLib.Variant(`(s${'u'.repeat(args.length)})`, ['io.github.tavrine.Tavrine', ...args])),
    modifiers: () => heard.filter(([s]) => s === 'Modifiers').map(([, [held]]) => held).join(),
    keys: () => heard.filter(([s]) => s === 'Key').length,
  };
}

let failures = 0;
function check(ok, what) {
  print(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  failures += ok ? 0 : 1;
}

async function run() {
  const feed = new Feed({Clutter, Gio, GLib, Shell}, shellGlobal, Main);
  feed.enable();
  const [tavrine, other] = [client(), client()];
  await tavrine.name('RequestName', 4);
  const accepted = await tavrine.feed('Subscribe');
  check(!(accepted instanceof GLib.Error), `the name's owner subscribes (${accepted})`);
  const refused = await other.feed('Subscribe');
  check(refused instanceof GLib.Error && refused.message.includes('AccessDenied'),
    `another client's Subscribe is refused (${refused})`);
  await settle();
  check(JSON.stringify(tavrine.heard.find(([s]) => s === 'Focus')) ===
    '["Focus",[4242,"editor","Ed"]]', 'the focus goes out as pid, class and name');
  check(!JSON.stringify(tavrine.heard).includes('Secret'), 'no window title is sent');

  key(PRESS, Clutter.KEY_Control_L);
  key(PRESS, KEY_A, CTRL);
  Main.modalCount = 1;  // a password prompt takes the keyboard
  key(PRESS, KEY_A, CTRL);
  Main.modalCount = 0;
  await settle();
  check(tavrine.keys() === 1, `no key while a shell dialog has the keyboard (${tavrine.keys()})`);
  check(tavrine.modifiers() === '0,4,0', `Ctrl let go when it came (${tavrine.modifiers()})`);
  check(other.heard.every(([s]) => s === 'Ready'), 'the other client hears nothing');

  // Ctrl goes down, Tavrine unsubscribes, Ctrl comes up unseen: subscribed again, nothing is held.
  key(PRESS, Clutter.KEY_Control_L);
  await tavrine.feed('Unsubscribe');
  key(RELEASE, Clutter.KEY_Control_L, CTRL);
  tavrine.heard.length = 0;
  await tavrine.feed('Subscribe');
  await settle();
  check(tavrine.modifiers() === '0', `a new subscription holds nothing (${tavrine.modifiers()})`);

  // A forged change of owner is not believed; a real one ends the subscription.
  other.bus.emit_signal(Gio.DBus.session.get_unique_name(), '/org/freedesktop/DBus', BUS,
    'NameOwnerChanged', new GLib.Variant('(sss)', ['io.github.tavrine.Tavrine', '', '']));
  await settle();
  key(PRESS, KEY_A);
  await settle();
  check(tavrine.keys() === 1, 'a forged change of owner leaves the subscription');
  await tavrine.name('ReleaseName');
  await settle();
  key(PRESS, KEY_A);
  await settle();
  check(tavrine.keys() === 1, 'once the name changes hands its former owner hears nothing');
  feed.disable();
}

const loop = new GLib.MainLoop(null, false);
run().catch(e => check(false, e)).finally(() => loop.quit());
loop.run();
imports.system.exit(failures > 0 ? 1 : 0);
