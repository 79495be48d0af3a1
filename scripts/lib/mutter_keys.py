#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Keys into a headless GNOME Shell or Mutter through its remote-desktop D-Bus API (a headless
# compositor has no X server to inject into). The remote-desktop session lives as long as this
# process: it reads commands from standard input, one a line, and prints "ok" after each:
#   keydown KEYSYM | keyup KEYSYM | key KEYSYM | sleep SECONDS
# KEYSYM: a name from the table below, one character, or a number (0xffe3).
import sys
import time

from gi.repository import Gio, GLib

KEYSYMS = {"Control_L": 0xFFE3, "Shift_L": 0xFFE1, "Alt_L": 0xFFE9, "Super_L": 0xFFEB,
           "Escape": 0xFF1B, "Tab": 0xFF09, "Return": 0xFF0D}
SERVICE = "org.gnome.Mutter.RemoteDesktop"


def keysym(name):
    if name in KEYSYMS:
        return KEYSYMS[name]
    return ord(name) if len(name) == 1 else int(name, 0)


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)

    def call(path, iface, method, args=None):
        return bus.call_sync(SERVICE, path, iface, method, args, None, 0, 5000, None)

    path = call("/org/gnome/Mutter/RemoteDesktop", SERVICE, "CreateSession").unpack()[0]
    session = SERVICE + ".Session"
    call(path, session, "Start")

    def notify(sym, down):
        call(path, session, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym(sym), down)))

    print("ready", flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        verb, arg = words[0], words[1] if len(words) > 1 else ""
        if verb in ("keydown", "key"):
            notify(arg, True)
        if verb in ("keyup", "key"):
            notify(arg, False)
        if verb == "sleep":
            time.sleep(float(arg))
        print("ok", flush=True)
    call(path, session, "Stop")


if __name__ == "__main__":
    main()
