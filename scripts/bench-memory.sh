#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Tavrine's resident memory over many holds on a private X11 desktop, the application in front
# changing before every hold (mousepad, geany, the Qt menu application, thunar and
# gnome-text-editor in turn), so that whatever Tavrine keeps per application or per read shows.
# Prints VmRSS and VmHWM after 0, 21, 100 and HOLDS holds, and the load average.
# HOLDS=N sets the number of holds (default 1000), HOLD_MS the time Ctrl is held (default 700).
set -euo pipefail
cd "$(dirname "$0")/.."
holds="${HOLDS:-1000}"
hold_ms="${HOLD_MS:-700}"
build="${BUILD_DIR:-$PWD/build/release}"
tavrine="${TAVRINE:-$build/src/programs/tavrine}"
menu_app="${MENU_APP:-$build/tests/linux/tavrine-menu-app}"
if [ -z "${TAVRINE:-}" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target tavrine tavrine-menu-app
fi

# RssAnon is the heap and the like, RssFile the mapped libraries, fonts and data.
memory() {
  awk '/^(VmRSS|VmHWM|RssAnon|RssFile|RssShmem):/ { printf "%s %s %s  ", $1, $2, $3 } END { print "" }' \
    "/proc/$1/status"
}
load() { echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) ($(date +%T))"; }

source scripts/lib/headless-stack.sh
trap hs_stop EXIT
load
hs_start
tav="$(hs_start_app tavrine "$tavrine")"
hs_wait_registered "$tav" 30
apps=()
for app in mousepad geany menu_app thunar gnome-text-editor; do
  apps+=("$(hs_start_bench_app "$app" "$menu_app")")
done
sleep 2  # startup work settles

report() {
  sleep 2  # what the last hold started has ended
  kill -0 "$tav" || { echo "Tavrine is gone"; exit 1; }
  echo "after $1 holds: $(memory "$tav")"
}

# Each hold with another application in front; every 50th is checked for an overlay on screen.
report 0
failed=0
for i in $(seq "$holds"); do
  pid="${apps[$((i % ${#apps[@]}))]}"
  hs_activate "$pid" >/dev/null 2>&1 || true
  if ((i % 50 == 0)); then
    hs_hold_ctrl "$tav" >/dev/null || failed=$((failed + 1))
  else
    hs_xdotool keydown Control_L sleep "$(awk -v ms="$hold_ms" 'BEGIN { print ms / 1000 }')" keyup Control_L
  fi
  case "$i" in 21 | 100 | "$holds") report "$i" ;; esac
done
echo "checked holds without an overlay: $failed of $((holds / 50))"
load
[ "$failed" -eq 0 ]
