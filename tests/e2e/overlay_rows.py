#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Reads Tavrine's overlay the way a screen reader does, through AT-SPI, and prints it: one line per
# menu heading, then one indented "title<TAB>shortcut" line per row. With --wait-shown it waits
# until an overlay is on screen; with --wait-gone until none is. Exits 1 on timeout.
import argparse
import sys
import time

import pyatspi


def tavrine_windows():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or (app.name or "").lower() != "tavrine":
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
        elif role == pyatspi.ROLE_LIST_ITEM:
            lines.append("  %s\t%s" % (child.name, child.description))
    return lines


def overlay():
    for window in tavrine_windows():
        lines = overlay_lines(window)
        if lines:
            return lines
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wait-shown", type=float, default=0)
    parser.add_argument("--wait-gone", type=float, default=0)
    args = parser.parse_args()
    deadline = time.monotonic() + max(args.wait_shown, args.wait_gone)
    while True:
        try:
            lines = overlay()
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
