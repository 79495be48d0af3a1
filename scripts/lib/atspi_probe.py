#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# What the accessibility bus itself says, without Tavrine, so that a broken desktop is told apart
# from a broken Tavrine:
#
#   atspi_probe.py active PID [--wait S]   exits 0 once PID has a frame in the ACTIVE state (the
#                                          window in focus), 1 if not within S seconds (0: now)
#   atspi_probe.py keys [--wait S]         registers a keystroke listener as Tavrine does, prints
#                                          "listening", then each key; exits 0 once Control_L was
#                                          pressed and released, 1 if not within S seconds
import argparse
import sys
import time

import pyatspi
from gi.repository import GLib


def active(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is None or app.get_process_id() != pid:
                continue
            if any(w is not None and w.getState().contains(pyatspi.STATE_ACTIVE) for w in app):
                return True
        except Exception as error:  # an application vanishing mid-walk
            print("retrying after: %s" % error, file=sys.stderr)
    return False


def wait_active(pid, seconds):
    deadline = time.monotonic() + seconds
    while not active(pid):
        if time.monotonic() >= deadline:
            print("pid %d has no active frame" % pid, file=sys.stderr)
            return 1
        time.sleep(0.05)
    return 0


def keys(seconds):
    seen = set()
    registry = pyatspi.Registry

    def on_key(event):
        pressed = event.type == pyatspi.KEY_PRESSED_EVENT
        print("%s %s modifiers=%#x" % ("press" if pressed else "release", event.event_string,
                                       event.modifiers), flush=True)
        if event.event_string == "Control_L":
            seen.add(pressed)
            if len(seen) == 2:
                registry.stop()
        return False

    # registryd answers the registration with false even when it worked: not checked.
    registry.registerKeystrokeListener(
        on_key, mask=pyatspi.allModifiers(),
        kind=(pyatspi.KEY_PRESSED_EVENT, pyatspi.KEY_RELEASED_EVENT), synchronous=False)
    GLib.timeout_add(int(seconds * 1000), registry.stop)
    print("listening", flush=True)
    registry.start()
    if len(seen) < 2:
        print("no Control_L press and release on the accessibility bus", file=sys.stderr)
        return 1
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["active", "keys"])
    parser.add_argument("pid", type=int, nargs="?")
    parser.add_argument("--wait", type=float, default=0)
    args = parser.parse_args()
    if args.what == "active":
        return wait_active(args.pid, args.wait)
    return keys(args.wait)


if __name__ == "__main__":
    sys.exit(main())
