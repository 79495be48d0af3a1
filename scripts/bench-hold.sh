#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times Tavrine from outside on a private desktop: how long after the hold timer fires the panel
# is mapped and drawn (Ctrl pressed through XTEST, the map seen on the root window, the pixels in
# the middle of the screen), beside a bare window mapped and drawn by the same X server before each
# hold, with mousepad, geany and then the Qt menu application in front (the first hold after start
# and each application's first hold apart); and what an idle Tavrine costs: its wake-ups (context
# switches of all its threads) over IDLE seconds and its resident memory, before and after holds.
# With TAVRINE_BEFORE set to another build of Tavrine, that one is timed the same way in the same
# run, in turns with this one (ROUNDS=N turns of each, default 1), for a before/after comparison.
# Then the same holds in a Wayland session (weston with XWayland; the applications native Wayland
# clients, Tavrine on XWayland), and what Tavrine's keystroke listener costs the application in
# front: its key latency (key -> text changed), and the registry's answer to a plain key, without
# Tavrine and with it, in alternating blocks (WAYLAND=0 leaves the Wayland session out).
# RUNS=N sets the holds per application (default 20), IDLE=S the idle span (default 10),
# KEYS=N the keys per block (default 50) and BLOCKS=N the blocks of each kind (default 4).
# GNOME=1 adds GNOME Shell's headless session (scripts/try-gnome.sh with HOLD_BENCH=RUNS): holds
# with Text Editor and with mousepad in front, the keys typed through Mutter.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${RUNS:-20}"
idle="${IDLE:-10}"
keys="${KEYS:-50}"
blocks="${BLOCKS:-4}"
build="${BUILD_DIR:-$PWD/build/release}"
tool="${HOLD_LATENCY:-$build/bench/linux/tavrine-hold-latency}"
key_tool="${KEY_LATENCY:-$build/bench/linux/tavrine-key-latency}"
tavrine="${TAVRINE:-$build/src/programs/tavrine}"
menu_app="${MENU_APP:-$build/tests/linux/tavrine-menu-app}"
if [ -z "${HOLD_LATENCY:-}" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target tavrine tavrine-menu-app tavrine-hold-latency \
    tavrine-key-latency
fi

# Context switches of every thread of a process, one line each: tid name voluntary+involuntary.
switches() {
  local task name count
  for task in /proc/"$1"/task/*; do
    name="$(cat "$task/comm" 2>/dev/null)" || continue
    count="$(awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { n += $2 } END { print n + 0 }' \
      "$task/status" 2>/dev/null)" || continue
    echo "${task##*/} $name $count"
  done
}

# Wake-ups over `idle` seconds with nothing happening, in all and per thread that woke.
idle_wakeups() {
  local pid="$1" before after
  before="$(switches "$pid")"
  sleep "$idle"
  after="$(switches "$pid")"
  awk -v span="$idle" '
    NR == FNR { was[$1] = $3; next }
    { d = $3 - ($1 in was ? was[$1] : 0); total += d; if (d) woke = woke sprintf(" %s(%s)=%d", $2, $1, d) }
    END { printf "wake-ups over %s s idle: %d%s\n", span, total, woke }' \
    <(echo "$before") <(echo "$after")
}

memory() {
  awk '/^(VmRSS|VmHWM):/ { printf "%s %s %s  ", $1, $2, $3 } END { print "" }' "/proc/$1/status"
}

# The machine's load averages over 1, 5 and 15 minutes, as uptime prints them.
load() { echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) ($(date +%T))"; }

# Brings an application's window to the front, as a click would.
activate() {
  hs_activate "$1" >/dev/null 2>&1 || true
  sleep 1  # the window manager's focus change and the application's first repaint
}

# Stops Tavrine (pid $tav) and waits until it is gone.
stop_tavrine() {
  kill -TERM "$tav"
  while kill -0 "$tav" 2>/dev/null; do sleep 0.05; done
}

start_tavrine() {
  tav="$(hs_start_app tavrine "$tavrine")"
  hs_wait_registered "$tav" 30
  hs_wait_key_listener "$tav" 30
}

# Holds with the Tavrine at $2 (called $1) over each application, started afresh for it.
x11_holds() {
  local label="$1" app pid
  tav="$(hs_start_app tavrine "$2")"
  hs_wait_registered "$tav" 30
  sleep 2  # startup work settles
  echo "=== $label: $2"
  echo "== $label: Tavrine idle, accessibility on, no hold yet"
  idle_wakeups "$tav"
  echo "memory: $(memory "$tav")"
  for app in mousepad geany menu_app; do
    pid="$(hs_start_bench_app "$app" "$menu_app")"
    activate "$pid"
    # The first read of a GTK application turns its cache on.
    if [ "$app" = mousepad ]; then
      echo "== $label, $app in front: the first hold after start"
    else
      echo "== $label, $app in front: the first hold over it"
    fi
    "$tool" "$tav" 1 || status=1
    echo "== $label, $app in front: $runs holds"
    "$tool" "$tav" "$runs" || status=1
    echo "memory after $app's holds: $(memory "$tav")"
    kill -TERM "$pid"
    while kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
  done
  echo "== $label: Tavrine idle after the holds"
  idle_wakeups "$tav"
  load
  stop_tavrine
}

source scripts/lib/headless-stack.sh
trap hs_stop EXIT
load
hs_start
status=0
if [ -n "${TAVRINE_BEFORE:-}" ]; then
  # In turns, so that a change in the machine's load falls on both.
  for round in $(seq "${ROUNDS:-1}"); do
    x11_holds "before ($round)" "$TAVRINE_BEFORE"
    x11_holds "after ($round)" "$tavrine"
  done
else
  x11_holds Tavrine "$tavrine"
fi
# GNOME Shell's headless session, as scripts/try-gnome.sh tries it, with the holds timed there.
gnome_holds() {
  [ "${GNOME:-0}" = 1 ] || return 0
  hs_stop
  echo "== GNOME Shell with Tavrine's extension"
  TD_BUILD="$build" HOLD_BENCH="$runs" HOLD_LATENCY="$tool" scripts/try-gnome.sh || status=1
}
if [ "${WAYLAND:-1}" = 0 ]; then
  gnome_holds
  exit "$status"
fi

median() {
  sort -g | awk '{ v[NR] = $1 }
    END { if (NR) printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; else printf "none" }'
}

# The application's key latency without Tavrine and with it, in alternating blocks so that a
# change in the machine's load falls on both.
# The registry's answer to a plain key (what the toolkit waits for) is timed the same way.
key_latency() {
  local app="$1" pid="$2" b kind
  : >"$HS_DIR/without" && : >"$HS_DIR/with" && : >"$HS_DIR/without.answer" && : >"$HS_DIR/with.answer"
  for b in $(seq "$blocks"); do
    for kind in without with; do
      # Tavrine's own startup work would weigh on the first keys: it settles first.
      if [ "$kind" = without ]; then stop_tavrine; else start_tavrine && sleep 2; fi
      DISPLAY="$HS_XVFB_DISPLAY" "$key_tool" "$pid" "$keys" >"$HS_DIR/block" || status=1
      echo "block $b $kind Tavrine: $(grep -v '^sample\|^answer' "$HS_DIR/block" | tr '\n' ' ')"
      awk '$1 == "sample" { print $2 }' "$HS_DIR/block" >>"$HS_DIR/$kind"
      awk '$1 == "answer" { print $2 }' "$HS_DIR/block" >>"$HS_DIR/$kind.answer"
    done
  done
  echo "$app, key -> text changed: median $(median <"$HS_DIR/without") ms without Tavrine," \
    "$(median <"$HS_DIR/with") ms with it ($(wc -l <"$HS_DIR/without") and" \
    "$(wc -l <"$HS_DIR/with") keys); the registry's answer to a plain key: median" \
    "$(median <"$HS_DIR/without.answer") ms without, $(median <"$HS_DIR/with.answer") ms with"
}

echo "== a Wayland session: weston (X11 backend) with XWayland"
hs_stop
hs_start_wayland
mp="$(hs_start_app mousepad env GDK_BACKEND=wayland mousepad)"
hs_wait_registered "$mp" 30
hs_wait_active "$mp" 30
start_tavrine
sleep 2  # startup work settles
# weston 10 puts an override-redirect XWayland window on its output, or takes it off, only when
# something else makes it repaint (here the blinking caret of the application in front): the bare
# window's line shows that share, and the pause lets the last panel leave the screen.
echo "== Wayland, mousepad in front: the first hold"
"$tool" --keys-display "$HS_XVFB_DISPLAY" "$tav" 1 500 1500 || status=1
echo "== Wayland, mousepad in front: $runs holds"
"$tool" --keys-display "$HS_XVFB_DISPLAY" "$tav" "$runs" 500 1500 || status=1
echo "memory after $((runs + 1)) holds: $(memory "$tav")"
echo "== Wayland, Tavrine idle after the holds"
idle_wakeups "$tav"
echo "== Wayland, mousepad's keys: $blocks blocks of $keys without Tavrine and with it"
key_latency mousepad "$mp"

ma="$(hs_start_app menu_app env QT_QPA_PLATFORM=wayland "$menu_app")"
hs_wait_registered "$ma" 30
hs_wait_active "$ma" 30
sleep 1
echo "== Wayland, the Qt menu application in front: $runs holds"
"$tool" --keys-display "$HS_XVFB_DISPLAY" "$tav" "$runs" 500 1500 || status=1
echo "== Wayland, the Qt menu application's keys: $blocks blocks of $keys without Tavrine and with it"
key_latency menu-app "$ma"
gnome_holds
load
exit "$status"
