#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times reading menus over AT-SPI against a pyatspi walk of the same menus, in the same run, on
# a private desktop: the Qt menu application, mousepad and geany; then reads of each one while
# it is stopped (kill -STOP). RUNS=N sets the runs per application (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${RUNS:-20}"
build="${BUILD_DIR:-$PWD/build/release}"
bench="${ATSPI_BENCH:-$build/bench/linux/tavrine-atspi-bench}"
menu_app="${MENU_APP:-$build/tests/linux/tavrine-menu-app}"
if [ -z "${ATSPI_BENCH:-}" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target tavrine-atspi-bench tavrine-menu-app
fi

source scripts/lib/headless-stack.sh
trap hs_stop EXIT
hs_start
status=0
for app in menu_app mousepad geany; do
  pid="$(hs_start_bench_app "$app" "$menu_app")"
  sleep 2  # let the window map and become active
  echo "== $app"
  echo "-- the walks, then the reads"
  "$bench" compare "$pid" "$runs" bench/linux/pyatspi_menu_walk.py || status=1
  echo "-- a walk and a read in turn"
  "$bench" alternate "$pid" "$runs" bench/linux/pyatspi_menu_walk.py || status=1
  kill -STOP "$pid"
  "$bench" stopped "$pid" 5 || status=1
  kill -CONT "$pid"
done
exit "$status"
