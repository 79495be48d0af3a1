#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Screenshots of the real overlay over mousepad (a white page) on a private X11 desktop, once per
# kind of desktop: openbox alone (no compositor: the panel is cut to its rounded shape), openbox
# with xcompmgr (translucent, no blur), no window manager at all, and KWin with its blur where
# kwin_x11 is installed (not part of set-up: it is large). Usage:
#   scripts/shoot-backdrop.sh [BUILD_DIR] [OUT_DIR]   (defaults: build/default, build/backdrop)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
out="${2:-build/backdrop}"
tavrine="$build/src/programs/tavrine"
[ -x "$tavrine" ] || { echo "no $tavrine: build the tavrine target first" >&2; exit 1; }
mkdir -p "$out"

# shellcheck source=lib/headless-stack.sh
source scripts/lib/headless-stack.sh

# Stops the window manager hs_start started.
stop_openbox() {
  local g
  for g in $(cat "$HS_DIR/pgids"); do
    if ps -o comm= -g "$g" 2>/dev/null | grep -q openbox; then kill -- "-$g"; fi
  done
  sleep 0.3
}

shoot() {
  local desktop="$1"
  hs_start
  case "$desktop" in
    bare) stop_openbox ;;
    xcompmgr) hs_start_app compositor xcompmgr -n >/dev/null ;;
    kwin)
      stop_openbox
      # KWin leaves its blur off on software rendering unless told.
      mkdir -p "$XDG_CONFIG_HOME"
      printf '[Plugins]\nblurEnabled=true\n' >"$XDG_CONFIG_HOME/kwinrc"
      KWIN_COMPOSE=O2 hs_start_app kwin kwin_x11 --replace >/dev/null
      sleep 5
      ;;
  esac
  hs_start_app tavrine "$tavrine" >/dev/null
  hs_start_app mousepad mousepad README.md >/dev/null
  hs_wait_registered "$HS_PID_tavrine"
  hs_wait_registered "$HS_PID_mousepad"
  local window
  window="$(xdotool search --sync --onlyvisible --pid "$HS_PID_mousepad" --class mousepad | head -n1)"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || xdotool windowfocus "$window"
  xdotool windowmove "$window" 0 0 windowsize "$window" 1280 1024
  sleep 1
  xdotool keydown Control_L
  sleep 2  # the hold, and a compositor's fade-in
  import -window root "$out/backdrop-$desktop.png"
  xdotool keyup Control_L
  echo "$out/backdrop-$desktop.png"
  hs_stop
}

trap hs_stop EXIT
for desktop in openbox xcompmgr bare; do shoot "$desktop"; done
if command -v kwin_x11 >/dev/null; then shoot kwin; else echo "kwin_x11 not installed: no blur shot"; fi
