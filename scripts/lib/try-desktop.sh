# SPDX-License-Identifier: MIT
# What scripts/try-gnome.sh and scripts/try-kwin.sh share: a person's first minutes with Tavrine on
# a headless desktop compositor, checked through the accessibility bus. Sourcing it brings
# headless-stack.sh and the checks of tests/e2e/e2e.sh along and stops the stack on exit; then:
#
#   td_session                start the session bus, the accessibility bus and an empty system bus
#                             (the desktops look for logind and accounts on it), without Xvfb
#   td_keys_start CMD...      start a key injector that reads "keydown KEY", "keyup KEY", "key KEY"
#                             and "sleep S" lines and answers "ok" to each (mutter_keys.py, kwin_keys)
#   td_keys LINE...           send those lines and wait until the injector has done them
#   td_try                    the checks; the caller sets TD_SWITCH (the key lines that switch back
#                             to the previous application), TD_SHOT (a function taking a PNG file
#                             name, called while the panel is up), TD_SHOTS (a folder, or empty)
#                             and may define td_first_window (run once the first window is up)
#                             and td_more (more checks, run last, before the summary)

TD_TRY_LIB="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
TD_ROOT="$(cd "$TD_TRY_LIB/../.." && pwd)"
# The build tried: TD_BUILD, else the default one.
TD_BUILD="${TD_BUILD:-$TD_ROOT/build/default}"
# shellcheck source=headless-stack.sh
source "$TD_TRY_LIB/headless-stack.sh"
# shellcheck source=../../tests/e2e/e2e.sh
source "$TD_ROOT/tests/e2e/e2e.sh" "$TD_BUILD"
trap hs_stop EXIT

td_session() {
  HS_XVFB=0 hs__start_session || return 1
  setsid dbus-daemon --session --nofork --nopidfile \
    --address="unix:path=$HS_DIR/runtime/system_bus" >"$HS_DIR/system-bus.log" 2>&1 &
  hs__track $!
  hs_poll 5 test -S "$HS_DIR/runtime/system_bus" || true
  export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$HS_DIR/runtime/system_bus"
  export XDG_SESSION_TYPE=wayland
}

td_keys_start() {
  mkfifo "$HS_DIR/keys.in"
  # Opened for reading and writing: the injector never sees the end of its input between writers.
  setsid "$@" 0<>"$HS_DIR/keys.in" >"$HS_DIR/keys.log" 2>&1 &
  hs__track $!
  TD_KEYS_DONE=0
  hs_poll 5 grep -q '^ready' "$HS_DIR/keys.log" && return 0
  hs_log "the key injector did not start: $(cat "$HS_DIR/keys.log")"
  return 1
}

td_keys() {
  printf '%s\n' "$@" >"$HS_DIR/keys.in"
  TD_KEYS_DONE=$((TD_KEYS_DONE + $#))
  for _ in $(seq 200); do
    (($(grep -c '^ok' "$HS_DIR/keys.log") >= TD_KEYS_DONE)) && return 0
    sleep 0.02
  done
  hs_log "the key injector stalled: $(tail -n3 "$HS_DIR/keys.log")"
  return 1
}

# The work area the panel centres on, as the window manager tells X11 clients (WxH+X+Y); the whole
# screen when it says nothing (no panels).
td_work_area() {
  local area
  area="$(xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.*= *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\3x\4+\1+\2/p')"
  [ -n "$area" ] || area="$(xdpyinfo | sed -n 's/ *dimensions: *\([0-9]*x[0-9]*\) .*/\1/p')+0+0"
  echo "$area"
}

td_ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }

# Holds Ctrl in APP (pid PID) and checks the rows, the centring, the focus and the release.
td_hold() {
  local app="$1" pid="$2" shot="$3" overlay start
  shift 3
  start="$(date +%s%N)"
  td_keys "keydown Control_L"
  if overlay="$(/usr/bin/python3 "$HS_E2E/overlay_rows.py" --pid "$HS_PID_tavrine" \
    --wait-shown 10 --centred-on "$TD_AREA")"; then
    pass "$app: the overlay is up $(td_ms_since "$start") ms after Ctrl went down, centred on $TD_AREA"
    expect_rows "$overlay" "$app" "$@"
    if hs_wait_active "$pid" 0; then pass "$app: keeps the focus"; else fail "$app: lost the focus"; fi
    if [ -n "$shot" ] && [ -n "${TD_SHOTS:-}" ]; then "$TD_SHOT" "$TD_SHOTS/$shot"; fi
  else
    fail "$app: no overlay (or not centred on $TD_AREA) while Ctrl was held"
  fi
  start="$(date +%s%N)"
  td_keys "keyup Control_L"
  if /usr/bin/python3 "$HS_E2E/overlay_rows.py" --pid "$HS_PID_tavrine" --wait-gone 5; then
    pass "$app: the overlay is gone $(td_ms_since "$start") ms after the release"
  else
    fail "$app: the overlay stayed after the release"
  fi
}

td_try() {
  local build="$TD_BUILD" mousepad_rows menu_app_rows
  mousepad_rows=("FILE|New|Ctrl+N" "FILE|Save As...|Ctrl+Shift+S" "SEARCH|Find|Ctrl+F")
  menu_app_rows=("FILE|Save As…|Ctrl+Shift+S" "FILE|Clear List|Ctrl+Alt+K" "VIEW|Full Screen|F11")

  hs_start_app mousepad env GDK_BACKEND=wayland mousepad >/dev/null
  hs_wait_registered "$HS_PID_mousepad" 60
  if declare -F td_first_window >/dev/null; then td_first_window; fi
  TD_AREA="$(td_work_area)"
  if hs_wait_active "$HS_PID_mousepad" 20; then
    pass "mousepad: in front (work area $TD_AREA)"
  else
    fail "mousepad: not in front"
  fi
  local probe="$HS_DIR/probe.log"
  /usr/bin/python3 "$HS_LIB/atspi_probe.py" keys --wait 20 >"$probe" 2>&1 &
  local probe_pid=$!
  hs_poll 10 grep -q listening "$probe" || true
  td_keys "key Control_L"
  if wait "$probe_pid"; then
    pass "the desktop: mousepad reports Ctrl on the accessibility bus"
  else
    fail "the desktop: no Ctrl from mousepad on the accessibility bus: $(tr '\n' ' ' <"$probe")"
  fi

  hs_start_app tavrine "$build/src/programs/tavrine" >/dev/null
  hs_wait_registered "$HS_PID_tavrine" 60
  if hs_wait_key_listener "$HS_PID_tavrine" 30; then
    pass "Tavrine listens to keys through the accessibility registry"
  else
    fail "Tavrine registered no keystroke listener"
  fi
  td_hold mousepad "$HS_PID_mousepad" mousepad.png "${mousepad_rows[@]}"

  hs_start_app menu_app env QT_QPA_PLATFORM=wayland "$build/tests/linux/tavrine-menu-app" >/dev/null
  hs_wait_registered "$HS_PID_menu_app" 60
  if hs_wait_active "$HS_PID_menu_app" 20; then
    td_hold menu-app "$HS_PID_menu_app" menu-app.png "${menu_app_rows[@]}"
    td_keys "keydown Control_L" "key o"
    if /usr/bin/python3 "$HS_E2E/overlay_rows.py" --pid "$HS_PID_tavrine" --wait-shown 2 \
      >/dev/null 2>&1; then
      fail "menu-app: Ctrl+O showed the overlay"
    else
      pass "menu-app: Ctrl+O shows nothing"
    fi
    td_keys "keyup Control_L" "sleep 0.5" "key Escape"
  else
    fail "menu-app: the new window is not in front"
  fi

  td_keys "${TD_SWITCH[@]}"
  if hs_wait_active "$HS_PID_mousepad" 10; then
    td_hold mousepad "$HS_PID_mousepad" "" "${mousepad_rows[@]}"
  else
    fail "mousepad: switching back did not bring it to the front"
  fi
  if declare -F td_more >/dev/null; then td_more; fi
  summary
}
