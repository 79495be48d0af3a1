#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Tavrine end to end in a Wayland session: weston (its X11 backend, with XWayland) on Xvfb, a
# session bus and the accessibility bus; mousepad (GTK 3) and a Qt 6 program run as native
# Wayland clients, Tavrine on XWayland. Keys go in with XTEST and reach the application weston
# has focused; Tavrine only hears them through the accessibility registry. Holding Ctrl must show
# the focused application's shortcuts (read back through AT-SPI) without taking its focus, letting
# go must hide them, and Ctrl+O must show nothing.
# Usage: tests/e2e/e2e-wayland.sh BUILD_DIR [SCREENSHOT.png]
set -euo pipefail
# shellcheck source=checks.sh
source "$(dirname "$0")/checks.sh"
# A loaded machine reads menus slowly: wait long for what must come, never for what must not.
export HS_WAIT_SHOWN=10 HS_WAIT_GONE=5


# Ctrl held on past the hold time with O typed at once: a shortcut, not a hold.
ctrl_o_shows_nothing() {
  local app="$1"
  hs_xdotool keydown Control_L key o
  if /usr/bin/python3 "$rows" --pid "$HS_PID_tavrine" --wait-shown 2 >/dev/null 2>&1; then
    fail "$app: Ctrl+O showed the overlay"
  else
    pass "$app: Ctrl+O shows nothing"
  fi
  hs_xdotool keyup Control_L
}

# Waits until LOG has a line starting with PREFIX; prints the last such line.
wait_line() {
  hs_poll 30 grep -q "^$2" "$1" || true
  grep "^$2" "$1" | tail -n1 || true
}

hs_start_wayland
hs_set_a11y false

# 1. No tray here, as on GNOME: a notification says so and turns accessibility on when asked.
hs_start_app notifications /usr/bin/python3 -u "$HS_LIB/notification_server.py" \
  --invoke "Turn on accessibility" >/dev/null
hs_poll 20 busctl --user status org.freedesktop.Notifications >/dev/null 2>&1 || true
hs_start_app tavrine "$tavrine" >/dev/null
notice="$(wait_line "$HS_DIR/app-notifications.log" "notify 1")"
if [[ "$notice" == *AppIndicator*$'\t'"Turn on accessibility" ]]; then
  pass "no tray: a notification names the extension and offers to turn accessibility on"
else
  fail "no tray: no notification with the extension and the accessibility action: '$notice'"
fi
expect_a11y_on "no tray: the notification's action"
# Qt joins the accessibility bus only if it was on at start, and the overlay is read through it.
hs_stop_app tavrine

# 2. The desktop itself: mousepad in focus reports Ctrl to a keystroke listener on the bus.
hs_start_app mousepad env GDK_BACKEND=wayland mousepad >/dev/null
hs_wait_registered "$HS_PID_mousepad" 60
hs_wait_active "$HS_PID_mousepad" 30 || true
probe="$HS_DIR/keys.log"
/usr/bin/python3 "$HS_LIB/atspi_probe.py" keys --wait 20 >"$probe" 2>&1 &
probe_pid=$!
hs_poll 10 grep -q listening "$probe" || true
hs_xdotool key Control_L
if ! wait "$probe_pid"; then
  cat "$probe" >&2
  fail "the desktop: no Ctrl reached the accessibility bus from mousepad; the rest cannot work"
  summary || exit
fi
pass "the desktop: mousepad reports Ctrl on the accessibility bus"

hs_start_app tavrine "$tavrine" >/dev/null
hs_wait_registered "$HS_PID_tavrine" 60
if hs_wait_key_listener "$HS_PID_tavrine" 30; then
  pass "Tavrine listens to keys through the accessibility registry"
else
  fail "Tavrine registered no keystroke listener"
fi
notice="$(wait_line "$HS_DIR/app-notifications.log" "notify 2")"
if [[ -n "$notice" && "$notice" == *$'\t' ]]; then
  pass "no tray, accessibility on: the notification offers no action"
else
  fail "no tray, accessibility on: '$notice'"
fi

# 3. mousepad, a native Wayland GTK 3 application.
hold_shows mousepad "$HS_PID_mousepad" "$screenshot" "${mousepad_rows[@]}"

# 4. A Qt 6 program on Wayland: weston gives a new window the focus. Qt does not forward the
#    press of a key that fires a shortcut, only its release.
hs_start_app menu_app env QT_QPA_PLATFORM=wayland "$menu_app" >/dev/null
hs_wait_registered "$HS_PID_menu_app" 60
if hs_wait_active "$HS_PID_menu_app" 30; then
  hold_shows menu-app "$HS_PID_menu_app" "" "${menu_app_rows[@]}"
  ctrl_o_shows_nothing menu-app
else
  fail "menu-app: weston did not focus the new window"
fi

# 5. Back to mousepad with weston's window switcher: the overlay follows the focus.
hs_xdotool keydown Super_L key Tab keyup Super_L
if hs_wait_active "$HS_PID_mousepad" 30; then
  hold_shows mousepad "$HS_PID_mousepad" "" "${mousepad_rows[@]}"
  # Last: mousepad opens its file dialog.
  ctrl_o_shows_nothing mousepad
else
  fail "mousepad: the window switcher did not focus it again"
fi

summary
