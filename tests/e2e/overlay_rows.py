#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Reads the overlay of the Tavrine process PID the way a screen reader does, through AT-SPI, and prints it: one line per
# menu heading, then one indented "title<TAB>shortcut" line per row; any other text (the header,
# a line in place of rows) on a line starting "= ". With --wait-shown it waits
# until an overlay is on screen; with --wait-gone until none is. Exits 1 on timeout. With
# --centred-on WxH[+X+Y], also exits 1 when the overlay shown is not centred on a screen (or a work
# area at X,Y) of that size. With --print-time, prints when it first saw the overlay (milliseconds
# since the epoch, as `date +%s%3N`) instead of its rows.
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
            if window is not None and window.getState().contains(pyatspi.STATE_SHOWING):
                yield window


def overlay_lines(window):
    lines = []
    for child in window:
        role = child.getRole() if child is not None else None
        if role == pyatspi.ROLE_HEADING:
            lines.append(child.name)
        elif role in (pyatspi.ROLE_STATIC, pyatspi.ROLE_LABEL):
            lines.append("= %s" % child.name)
        elif role == pyatspi.ROLE_LIST:  # a section's rows
            for row in child:
                if row is not None and row.getRole() == pyatspi.ROLE_LIST_ITEM:
                    lines.append("  %s\t%s" % (row.name, row.description))
    return lines


def overlay(pid):
    for window in tavrine_windows(pid):
        lines = overlay_lines(window)
        if lines:
            return lines, window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return None, None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pid", type=int, required=True, help="Tavrine's process id")
    parser.add_argument("--wait-shown", type=float, default=0)
    parser.add_argument("--wait-gone", type=float, default=0)
    parser.add_argument("--centred-on", metavar="WxH[+X+Y]")
    parser.add_argument("--print-time", action="store_true")
    args = parser.parse_args()
    deadline = time.monotonic() + max(args.wait_shown, args.wait_gone)
    while True:
        polled = time.time()  # the overlay was not there at the previous poll
        try:
            lines, extents = overlay(args.pid)
        except Exception as error:  # an application vanishing mid-walk
            print("retrying after: %s" % error, file=sys.stderr)
            lines = None
        if args.wait_gone and lines is None:
            return 0
        if not args.wait_gone and lines is not None:
            print(round(polled * 1000) if args.print_time else "\n".join(lines))
            if args.centred_on:
                width, height, left, top = (int(n) for n in
                                            (args.centred_on + "+0+0").replace("x", "+").split("+")[:4])
                x, y, w, h = extents.x - left, extents.y - top, extents.width, extents.height
                if abs(2 * x + w - width) > 2 or abs(2 * y + h - height) > 2:
                    print("the overlay at %d,%d %dx%d is not centred on %s" %
                          (x, y, w, h, args.centred_on), file=sys.stderr)
                    return 1
            return 0
        if time.monotonic() >= deadline:
            print("no overlay" if not args.wait_gone else "the overlay is still shown",
                  file=sys.stderr)
            return 1
        time.sleep(0.01 if args.print_time else 0.05)


if __name__ == "__main__":
    sys.exit(main())
