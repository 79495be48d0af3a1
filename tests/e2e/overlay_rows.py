#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Reads the overlay of the Tavrine process PID the way a screen reader does, through AT-SPI, and prints it: one line per
# menu heading, then one indented "title<TAB>shortcut" line per row. With --wait-shown it waits
# until an overlay is on screen; with --wait-gone until none is. Exits 1 on timeout.
import argparse
import sys
import time

import pyatspi


def tavrine_windows(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        # The process id comes from the bus, not the application: a stopped application in the
        # registry must not hold this up.
        if app is None or app.get_process_id() != pid:
            continue
        for window in app:
            if window is None:
                continue
            if window.getState().contains(pyatspi.STATE_SHOWING):
                yield window


def overlay_lines(window):
    lines = []
    for child in window:
        if child is None:
            continue
        role = child.getRole()
        if role == pyatspi.ROLE_HEADING:
            lines.append(child.name)
        elif role == pyatspi.ROLE_LIST:  # a section's rows
            for row in child:
                if row is not None and row.getRole() == pyatspi.ROLE_LIST_ITEM:
                    lines.append("  %s\t%s" % (row.name, row.description))
    return lines


def overlay(pid):
    for window in tavrine_windows(pid):
        lines = overlay_lines(window)
        if lines:
            return lines
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pid", type=int, required=True, help="Tavrine's process id")
    parser.add_argument("--wait-shown", type=float, default=0)
    parser.add_argument("--wait-gone", type=float, default=0)
    args = parser.parse_args()
    deadline = time.monotonic() + max(args.wait_shown, args.wait_gone)
    while True:
        try:
            lines = overlay(args.pid)
        except Exception as error:  # an application vanishing mid-walk
            print("retrying after: %s" % error, file=sys.stderr)
            lines = None
        if args.wait_gone and lines is None:
            return 0
        if not args.wait_gone and lines is not None:
            print("\n".join(lines))
            return 0
        if time.monotonic() >= deadline:
            print("no overlay" if not args.wait_gone else "the overlay is still shown",
                  file=sys.stderr)
            return 1
        time.sleep(0.05)


if __name__ == "__main__":
    sys.exit(main())
