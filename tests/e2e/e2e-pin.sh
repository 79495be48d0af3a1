#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The pinned overlay end to end on a private X11 desktop: pinned by a Ctrl-click and by Shift
# tapped twice under Ctrl, it stays after the release and takes the keyboard; typing filters its
# rows, Enter runs the command in the application through AT-SPI (a row of a sheet: by typing its
# chord there), and Enter, Esc or a click outside close it and give the keyboard back.
# Usage: tests/e2e/e2e-pin.sh BUILD_DIR [SCREENSHOT.png]
set -euo pipefail
# shellcheck source=checks.sh
source "$(dirname "$0")/checks.sh"

hs_start
hs_set_a11y true
# A sheet row that no menu item stands behind: Ctrl++ needs Shift on this layout.
mkdir -p "$XDG_CONFIG_HOME/tavrine/sheets"
printf '[[group]]\nheading = "Sheet"\nshortcuts = [{ title = "Bigger Text", keys = "<Primary>plus" }]\n' \
  >"$XDG_CONFIG_HOME/tavrine/sheets/tavrine-menu-app.toml"
hs_start_app tavrine "$tavrine" >/dev/null
hs_wait_registered "$HS_PID_tavrine"
hs_start_app menu_app "$menu_app" >/dev/null
app_log="$HS_DIR/app-menu_app.log"
front menu_app
centre_x=$((${HS_SCREEN%x*} / 2))
centre_y=$((${HS_SCREEN#*x} / 2))

overlay_up() { /usr/bin/python3 "$rows" --pid "$HS_PID_tavrine" --wait-shown "${1:-2}" >/dev/null; }
overlay_gone() { /usr/bin/python3 "$rows" --pid "$HS_PID_tavrine" --wait-gone "${1:-2}"; }

# Holds Ctrl until the overlay is up, then pins it with GESTURE ("click" or "shift") and lets go.
pin() {
  hs_xdotool keydown Control_L
  sleep 0.8
  overlay_up || fail "no overlay while Ctrl was held"
  if [ "$1" = click ]; then
    hs_xdotool mousemove "$centre_x" "$centre_y" click 1
  else
    hs_xdotool key Shift_L sleep 0.1 key Shift_L
  fi
  sleep 0.3
  hs_xdotool keyup Control_L
  sleep 0.5
  if overlay_up 1 && hs_wait_active "$HS_PID_tavrine" 3; then
    pass "pinned by $1: the overlay stays after the release and has the keyboard"
  else
    fail "pinned by $1: the overlay went with the release or has no keyboard"
  fi
}

gave_back() {
  if overlay_gone 3 && hs_wait_active "$HS_PID_menu_app" 5; then
    pass "$1: the overlay is gone and menu-app has the keyboard again"
  else
    fail "$1: the overlay stayed or menu-app did not get the keyboard back"
  fi
}

# 1. Before pinning, nothing takes the keyboard: the ordinary hold is unchanged.
hold_shows menu-app "$HS_PID_menu_app" "" "VIEW|Full Screen|F11"

# 2. Pin with a click, type, run with Enter.
pin click
hs_xdotool type --delay 80 "zoom"
sleep 0.5
overlay="$(/usr/bin/python3 "$rows" --pid "$HS_PID_tavrine")"
printf '%s\n' "$overlay"
if grep -q $'Zoom In\tCtrl++' <<<"$overlay" && grep -q $'Zoom Out\tCtrl+-' <<<"$overlay" &&
  ! grep -q $'^  New\t' <<<"$overlay"; then
  pass "typing filters the rows"
else
  fail "typing 'zoom' did not leave the zoom rows alone"
fi
[ -n "$screenshot" ] && hs_screenshot "$screenshot"
hs_xdotool key BackSpace BackSpace BackSpace BackSpace
hs_xdotool type --delay 80 "ctrl n"
sleep 0.5
hs_xdotool key Return
gave_back "Enter"
if hs_poll 5 grep -qx "triggered: &New" "$app_log"; then
  pass "Enter ran the best match in menu-app (File > New)"
else
  fail "menu-app did not run New: $(cat "$app_log")"
fi
if [ "$(grep -c '^triggered:' "$app_log")" -eq 1 ]; then
  pass "nothing else ran"
else
  fail "more than one command ran: $(cat "$app_log")"
fi

# 3. Pin from the keyboard, find nothing, close with Esc: nothing runs.
front menu_app
pin shift
hs_xdotool type --delay 50 "qqqq"
sleep 0.3
hs_xdotool key Return Escape
gave_back "Esc"
[ "$(grep -c '^triggered:' "$app_log")" -eq 1 ] && pass "Enter on no match ran nothing" ||
  fail "something ran without a match: $(cat "$app_log")"

# 4. A click outside closes it.
front menu_app
pin click
hs_xdotool mousemove 5 $((${HS_SCREEN#*x} - 5)) click 1
gave_back "a click outside"

# 5. A sheet's row runs as its chord, typed into menu-app once it has the keyboard back.
front menu_app
pin shift
hs_xdotool type --delay 80 "bigger"
sleep 0.3
hs_xdotool key Return
gave_back "Enter on a sheet row"
hs_poll 5 grep -qx "triggered: Zoom &In" "$app_log" && pass "the sheet row's chord ran Zoom In" ||
  fail "menu-app did not get the sheet row's Ctrl++: $(cat "$app_log")"

summary
