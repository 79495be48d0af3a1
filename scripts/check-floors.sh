#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when an include in src/ points up a floor (src/floors.txt) or sideways to a folder of
# the same floor, when anything but a backend or a program includes a backend, or when modules
# include each other (a cycle, whatever their floors).
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "$@" <<'PY'
import os, re, sys

floors = {}
for level, line in enumerate(l for l in open("src/floors.txt") if l.strip() and not l.startswith("#")):
    for folder in line.split():
        floors[folder] = level

def floor_of(path):  # path relative to src/
    folder = os.path.dirname(path)
    best = None
    for name in floors:
        if folder == name or folder.startswith(name + "/"):
            if best is None or len(name) > len(best):
                best = name
    return best

include = re.compile(r'^\s*#\s*(?:include|import)\s+"([^"]+)"')
problems = []
edges = {}
for root, _, files in os.walk("src"):
    for f in sorted(files):
        if not f.endswith((".h", ".cpp", ".mm")):
            continue
        path = os.path.relpath(os.path.join(root, f), "src")
        mine = floor_of(path)
        if mine is None:
            problems.append(f"src/{path}: in no floor of src/floors.txt")
            continue
        module = os.path.splitext(path)[0]
        for n, line in enumerate(open(os.path.join(root, f), encoding="utf-8"), 1):
            m = include.match(line)
            if not m or not os.path.exists(os.path.join("src", m.group(1))):
                continue
            target = m.group(1)
            theirs = floor_of(target)
            if theirs is not None and theirs.startswith("backends/") and not mine.startswith(("backends/", "programs/")):
                problems.append(f"src/{path}:{n}: includes the backend {target}; the core and the shell never include a backend")
            elif theirs is not None and floors[theirs] > floors[mine]:
                problems.append(f"src/{path}:{n}: includes {target}, a floor up ({theirs} above {mine})")
            elif theirs is not None and theirs != mine and floors[theirs] == floors[mine]:
                problems.append(f"src/{path}:{n}: includes {target}, beside it on its floor")
            other = os.path.splitext(target)[0]
            if other != module:
                edges.setdefault(module, set()).add(other)

# Cycles between modules: a module is a source file and its header; a header that only declares
# more of another module's functions is part of no cycle.
compiled = {os.path.splitext(os.path.relpath(os.path.join(r, f), "src"))[0]
            for r, _, fs in os.walk("src") for f in fs if f.endswith((".cpp", ".mm"))}
edges = {m: {o for o in targets if o in compiled} for m, targets in edges.items() if m in compiled}
state = {}
def visit(m, stack):
    state[m] = 1
    stack.append(m)
    for o in sorted(edges.get(m, ())):
        if state.get(o) == 1:
            problems.append("include cycle: " + " -> ".join(stack[stack.index(o):] + [o]))
        elif o not in state:
            visit(o, stack)
    stack.pop()
    state[m] = 2
for m in sorted(edges):
    if m not in state:
        visit(m, [])

for p in problems:
    print(p, file=sys.stderr)
sys.exit(1 if problems else 0)
PY
