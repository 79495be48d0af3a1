#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times Tavrine from outside on a private desktop: how long after the hold timer fires the panel
# is mapped (Ctrl pressed through XTEST, the map seen on the root window), with mousepad and then
# the Qt menu application in front; and what an idle Tavrine costs: its wake-ups (context
# switches of all its threads) over IDLE seconds and its resident memory, before and after holds.
# RUNS=N sets the holds per application (default 20), IDLE=S the idle span (default 10).
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${RUNS:-20}"
idle="${IDLE:-10}"
build="${BUILD_DIR:-$PWD/build/release}"
tool="${HOLD_LATENCY:-$build/bench/linux/tavrine-hold-latency}"
tavrine="${TAVRINE:-$build/src/shell/tavrine}"
menu_app="${MENU_APP:-$build/tests/linux/tavrine-menu-app}"
if [ -z "${HOLD_LATENCY:-}" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target tavrine tavrine-menu-app tavrine-hold-latency
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
  xdotool search --sync --onlyvisible --pid "$1" windowactivate --sync >/dev/null 2>&1 || true
  sleep 1  # the window manager's focus change and the application's first repaint
}

source scripts/lib/headless-stack.sh
trap hs_stop EXIT
load
hs_start
tav="$(hs_start_app tavrine "$tavrine")"
hs_wait_registered "$tav" 30
mp="$(hs_start_app mousepad mousepad)"
hs_wait_registered "$mp" 30
activate "$mp"
sleep 2  # startup work settles
status=0

echo "== Tavrine idle, accessibility on, no hold yet"
idle_wakeups "$tav"
echo "memory: $(memory "$tav")"

echo "== mousepad in front: the first hold (its first read turns mousepad's cache on)"
"$tool" "$tav" 1 || status=1
echo "memory after one hold: $(memory "$tav")"

echo "== mousepad in front: $runs holds"
"$tool" "$tav" "$runs" || status=1
echo "memory after $((runs + 1)) holds: $(memory "$tav")"
echo "== Tavrine idle after the holds"
idle_wakeups "$tav"

echo "== the Qt menu application in front: $runs holds"
ma="$(hs_start_app menu_app "$menu_app")"
hs_wait_registered "$ma" 30
activate "$ma"
"$tool" "$tav" "$runs" || status=1
echo "memory after the menu application's holds: $(memory "$tav")"
load
exit "$status"
