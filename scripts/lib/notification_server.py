# SPDX-License-Identifier: MIT
"""A stand-in notification server (org.freedesktop.Notifications) for a private desktop.

Prints one line per notification: "notify ID<TAB>SUMMARY<TAB>BODY<TAB>LABEL, LABEL...". With
--invoke LABEL it then chooses the action with that label, as a user clicking it would.
Run with the system's python3 (GObject introspection).
"""
import argparse

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
      <arg type="u" direction="out"/>
    </method>
    <method name="CloseNotification"><arg type="u" direction="in"/></method>
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
    <method name="GetServerInformation">
      <arg type="s" direction="out"/><arg type="s" direction="out"/>
      <arg type="s" direction="out"/><arg type="s" direction="out"/>
    </method>
    <signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
    <signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
  </interface>
</node>
"""
PATH = "/org/freedesktop/Notifications"
NAME = "org.freedesktop.Notifications"

parser = argparse.ArgumentParser()
parser.add_argument("--invoke", metavar="LABEL", help="choose the action with this label")
args = parser.parse_args()
last_id = 0


def on_call(conn, _sender, _path, _iface, method, params, invocation):
    global last_id
    if method == "Notify":
        _app, _replaces, _icon, summary, body, actions, _hints, _timeout = params.unpack()
        last_id += 1
        pairs = list(zip(actions[0::2], actions[1::2]))
        print("notify %d\t%s\t%s\t%s" % (last_id, summary, body, ", ".join(l for _, l in pairs)),
              flush=True)
        invocation.return_value(GLib.Variant("(u)", (last_id,)))
        for key, label in pairs:
            if label == args.invoke:
                chosen = GLib.Variant("(us)", (last_id, key))
                GLib.timeout_add(100, lambda: conn.emit_signal(
                    None, PATH, NAME, "ActionInvoked", chosen) and False)
    elif method == "GetCapabilities":
        invocation.return_value(GLib.Variant("(as)", (["actions", "body", "persistence"],)))
    elif method == "GetServerInformation":
        invocation.return_value(GLib.Variant("(ssss)", ("stand-in", "tavrine", "1", "1.2")))
    else:
        invocation.return_value(None)


def on_bus(conn, _name):
    interface = Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0]
    conn.register_object(PATH, interface, on_call, None, None)


Gio.bus_own_name(Gio.BusType.SESSION, NAME, Gio.BusNameOwnerFlags.NONE, on_bus, None, None)
GLib.MainLoop().run()
