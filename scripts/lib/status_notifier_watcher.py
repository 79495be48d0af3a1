# SPDX-License-Identifier: MIT
"""A stand-in StatusNotifierWatcher for a private desktop's session bus.

Its presence (with a host said to be registered) makes Qt publish its tray icon as a
StatusNotifierItem, as on KDE Plasma or GNOME with the AppIndicator extension. Prints
"registered SERVICE" for each item, so that a script can read the item's properties.
Run with the system's python3 (GObject introspection).
"""
from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
  </interface>
</node>
"""

items = []


def on_call(_conn, sender, _path, _iface, method, params, invocation):
    if method == "RegisterStatusNotifierItem":
        # Items register either a bus name or an object path on their own connection.
        (service,) = params.unpack()
        items.append(sender if service.startswith("/") else service)
        print("registered", items[-1], flush=True)
    invocation.return_value(None)


def on_get(_conn, _sender, _path, _iface, name):
    return {
        "RegisteredStatusNotifierItems": GLib.Variant("as", items),
        "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
        "ProtocolVersion": GLib.Variant("i", 0),
    }[name]


def on_bus(conn, _name):
    interface = Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0]
    conn.register_object("/StatusNotifierWatcher", interface, on_call, on_get, None)


Gio.bus_own_name(
    Gio.BusType.SESSION, "org.kde.StatusNotifierWatcher", Gio.BusNameOwnerFlags.NONE,
    on_bus, None, None)
GLib.MainLoop().run()
