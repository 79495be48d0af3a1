#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The baseline: a pyatspi walk of an application's menu bar (names, roles, children, key
bindings), timed per run from the pid to the last reply.

    pyatspi_menu_walk.py PID REPLIES_OUT

Walks once for every line "run" read from standard input and answers "run MILLISECONDS", so
that a caller can alternate it with its own reads. At the end of the input it writes the last
walk's answers to REPLIES_OUT in the replies text form (menubar, children, name, role and
binding lines), so that the same builder and walk turn them into records.
"""
import sys
import time

import pyatspi

MAX_DEPTH = 32


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def find_menu_bar(app):
    bars = []
    for window in app:
        if window is None:
            continue
        bar = pyatspi.findDescendant(window, lambda a: a.getRole() == pyatspi.ROLE_MENU_BAR, True)
        if bar is not None:
            active = window.getState().contains(pyatspi.STATE_ACTIVE)
            bars.append((not active, len(bars), bar))
    return min(bars)[2] if bars else None


def walk(node, depth, lines):
    children = [c for c in node if c is not None]
    lines.append("\t".join(["children", escape(node.path)] + [escape(c.path) for c in children]))
    lines.append("name\t%s\t%s" % (escape(node.path), escape(node.name or "")))
    lines.append("role\t%s\t%d" % (escape(node.path), int(node.getRole())))
    try:
        binding = node.queryAction().getKeyBinding(0)
    except NotImplementedError:
        binding = ""
    except Exception:  # an object without the interface, or one that went away
        binding = ""
    if binding:
        lines.append("binding\t%s\t%s" % (escape(node.path), escape(binding)))
    if depth < MAX_DEPTH:
        for child in children:
            walk(child, depth + 1, lines)


def read(pid):
    app = find_application(pid)
    if app is None:
        return []
    # Every run reads afresh, as the program does.
    app.clearCache()
    bar = find_menu_bar(app)
    if bar is None:
        return []
    lines = ["menubar\t" + escape(bar.path)]
    walk(bar, 0, lines)
    return lines


def main():
    pid, out = int(sys.argv[1]), sys.argv[2]
    lines = []
    for command in sys.stdin:
        if command.strip() != "run":
            continue
        start = time.perf_counter()
        lines = read(pid)
        print("run %.3f" % ((time.perf_counter() - start) * 1000.0), flush=True)
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
