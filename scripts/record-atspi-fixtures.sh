#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Records what a menu-bar read over AT-SPI collects from the Qt menu application, mousepad and
# geany on a private desktop, and what a pyatspi walk of the same menus answers, into
# tests/linux/fixtures/. Needs the default build of tavrine-atspi-read and tavrine-menu-app.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="${BUILD_DIR:-$root/build/default}"
reader="${ATSPI_READ:-$build/bench/linux/tavrine-atspi-read}"
menu_app="${MENU_APP:-$build/tests/linux/tavrine-menu-app}"
out="$root/tests/linux/fixtures"
mkdir -p "$out"

source scripts/lib/headless-stack.sh
trap hs_stop EXIT
hs_start

record() {
  local name="$1"; shift
  local pid
  pid="$(hs_start_app "$name" "$@")"
  hs_wait_registered "$pid" 30
  sleep 2  # let the window map and become active
  "$reader" dump "$pid" >"$out/$name.replies"
  echo run | /usr/bin/python3 bench/linux/pyatspi_menu_walk.py "$pid" "$out/$name.pyatspi.replies" >/dev/null
  echo "$name: $(grep -c '^binding' "$out/$name.replies") key bindings"
}

record menu_app "$menu_app"
record mousepad mousepad
record geany geany
