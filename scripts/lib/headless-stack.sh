# SPDX-License-Identifier: MIT
# A private desktop for tests and demonstrations: Xvfb, a session bus and the accessibility bus
# with its switch on, under openbox (X11) or under weston (Wayland). Source this file, then:
#
#   hs_start                  start the X11 stack; exports DISPLAY, DBUS_SESSION_BUS_ADDRESS,
#                             XDG_RUNTIME_DIR, HOME and HS_DIR (the stack's temporary folder)
#   hs_start_wayland          start the Wayland stack instead: weston with its X11 backend fills
#                             the Xvfb screen and runs XWayland. Exports WAYLAND_DISPLAY,
#                             XDG_SESSION_TYPE=wayland, DISPLAY (XWayland, for X11 clients) and
#                             HS_XVFB_DISPLAY (the Xvfb underneath, where keys are injected and
#                             screenshots taken), and puts the pointer over weston;
#                             HS_WESTON_ARGS adds options to weston's (such as
#                             --logger-scopes=log,xwm-wm-x11)
#   hs_start_app NAME CMD...  start an application; its pid is in HS_PID_<NAME> (and printed)
#   hs_wait_registered PID [SECONDS]
#                             wait until that process is on the accessibility bus
#   hs_wait_active PID [SECONDS]
#                             wait until that process has a frame in the ACTIVE state (in focus)
#   hs_wait_key_listener PID [SECONDS]
#                             wait until that process listens to keys through the registry
#   hs_hold_ctrl TAVRINE_PID [SCREENSHOT] [APP_PID]
#                             hold Ctrl for 0.8 s in the application in front, print Tavrine's
#                             overlay as AT-SPI shows it (and take a screenshot while it is up);
#                             fails when no overlay appeared within HS_WAIT_SHOWN seconds (2)
#                             in the centre of the screen, or when APP_PID's frame lost the
#                             focus to it
#   hs_xdotool ARGS...        xdotool on the X server keys are injected into
#   hs_activate PID           give the keyboard to that process's first visible window
#   hs_screenshot FILE        the whole screen as a PNG
#   hs_stop                   stop everything hs_start and hs_start_app started, remove HS_DIR
#                             (copying its logs to the folder HS_KEEP_LOGS first, if set)
#
# Keys are injected with XTEST (xdotool) into the X server in HS_XVFB_DISPLAY (the same as
# DISPLAY on X11); under weston they reach the focused Wayland or XWayland client.
#
# Safe under `set -euo pipefail`. Each process runs in its own process group (setsid) so that what it spawns (the bus daemons'
# activated services) stops with it; only those groups are signalled.

HS_SCREEN=1280x1024
HS_LIB="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
HS_E2E="$(cd "$HS_LIB/../../tests/e2e" && pwd)"

hs_log() { echo "headless-stack: $*" >&2; }

# Runs the command every 0.05 s until it succeeds (0) or about $1 seconds have passed (1).
hs_poll() {
  local tries=$(($1 * 20))
  shift
  while ((tries-- > 0)); do
    "$@" && return 0
    sleep 0.05
  done
  return 1
}

# Records a started process group for hs_stop.
hs__track() { echo "$1" >>"$HS_DIR/pgids"; }

hs__start_xvfb() {
  # A free display, chosen by the server itself; kept as it is when its last client leaves, as a
  # desktop's is (a reset would drop the root window's properties).
  setsid Xvfb -displayfd 3 -screen 0 "${HS_SCREEN}x24" -nolisten tcp -noreset 3>"$HS_DIR/display" \
    >"$HS_DIR/xvfb.log" 2>&1 &
  hs__track $!
  if ! hs_poll 5 test -s "$HS_DIR/display"; then
    hs_log "Xvfb did not start"; hs_stop; return 1
  fi
  export DISPLAY=":$(head -n1 "$HS_DIR/display")" HS_XVFB_DISPLAY=":$(head -n1 "$HS_DIR/display")"
}

# Xvfb, the session bus and the accessibility bus with its switch on: what both stacks share.
# HS_XVFB=0 leaves Xvfb out, for a compositor that brings its own outputs and X server (a headless
# GNOME Shell or KWin picks its XWayland display itself and would contend with Xvfb's).
hs__start_session() {
  if [ -n "${HS_DIR:-}" ] && [ -d "$HS_DIR" ]; then
    hs_log "already started in $HS_DIR"
    return 0
  fi
  HS_DIR="$(mktemp -d "${TMPDIR:-/tmp}/tavrine-stack.XXXXXX")"
  export HS_DIR
  mkdir -p "$HS_DIR/runtime" "$HS_DIR/home"
  chmod 700 "$HS_DIR/runtime"
  export XDG_RUNTIME_DIR="$HS_DIR/runtime" HOME="$HS_DIR/home"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache" XDG_DATA_HOME="$HOME/.local/share"
  # No desktop settings daemon here: keep GTK from looking for one and from using a portal.
  export GSETTINGS_BACKEND=memory GTK_USE_PORTAL=0
  # Nothing inherited may keep toolkits off the accessibility bus or point at another session.
  unset SESSION_MANAGER DBUS_SESSION_BUS_PID NO_AT_BRIDGE NO_AT_BRIDGE_GTK AT_SPI_BUS_ADDRESS
  : >"$HS_DIR/pgids"

  if [ "${HS_XVFB:-1}" = 0 ]; then
    unset DISPLAY HS_XVFB_DISPLAY
  else
    hs__start_xvfb || return 1
  fi

  setsid dbus-daemon --session --nofork --nopidfile --address="unix:path=$HS_DIR/runtime/bus" \
    >"$HS_DIR/dbus.log" 2>&1 &
  hs__track $!
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$HS_DIR/runtime/bus"
  hs_poll 5 test -S "$HS_DIR/runtime/bus" || true

  # The accessibility bus, owned by the launcher; its own bus daemon and the registry are its
  # descendants and share its process group.
  setsid /usr/libexec/at-spi-bus-launcher --launch-immediately >"$HS_DIR/a11y.log" 2>&1 &
  hs__track $!
  hs_poll 5 busctl --user status org.a11y.Bus >/dev/null 2>&1 || true
  # Toolkits register on the accessibility bus only if the switch was on when they started.
  if ! busctl --user set-property org.a11y.Bus /org/a11y/bus org.a11y.Status IsEnabled b true; then
    hs_log "could not turn the accessibility switch on"; hs_stop; return 1
  fi
  # A desktop session publishes the bus on the root window too. Qt 5 applications (KDE's) find it
  # there at once; without it they race their own start-up and often never register.
  if [ -n "${DISPLAY:-}" ]; then
    xprop -root -f AT_SPI_BUS 8s -set AT_SPI_BUS "$(hs_a11y_address)" ||
      hs_log "could not publish the accessibility bus on the root window"
  fi
}

hs_start() {
  hs__start_session || return 1
  setsid openbox --sm-disable >"$HS_DIR/openbox.log" 2>&1 &
  hs__track $!
  hs_log "DISPLAY=$DISPLAY in $HS_DIR"
}

hs_start_wayland() {
  hs__start_session || return 1
  # No panel, lock, animation or on-screen keyboard: nothing of the shell's own may take focus
  # or time, and an idle screen never fades out in a long run.
  cat >"$HS_DIR/weston.ini" <<EOF_INI
[core]
idle-time=0
[shell]
panel-position=none
locking=false
animation=none
close-animation=none
startup-animation=none
focus-animation=none
background-color=0xff2e3440
[input-method]
path=
EOF_INI
  local socket="wayland-tavrine" size="$HS_SCREEN"
  # The pixman renderer: no GL driver needed, and lighter than one emulated on the CPU.
  setsid weston --backend=x11-backend.so --use-pixman --xwayland --socket="$socket" \
    --width="${size%x*}" --height="${size#*x}" --config="$HS_DIR/weston.ini" \
    --log="$HS_DIR/weston.log" ${HS_WESTON_ARGS:-} >"$HS_DIR/weston.out" 2>&1 &
  hs__track $!
  # weston starts XWayland on the first X client; the display it listens on is in its log.
  local i xwayland=""
  for i in $(seq 200); do
    xwayland="$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$HS_DIR/weston.log" \
      2>/dev/null | head -n1 || true)"
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && [ -n "$xwayland" ] && break
    sleep 0.05
  done
  if [ -z "$xwayland" ]; then
    hs_log "weston did not start (see $HS_DIR/weston.log)"; hs_stop; return 1
  fi
  export WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland DISPLAY="$xwayland"
  # Xvfb sends keys to the window under the pointer: keep it over weston's window.
  local window
  window="$(DISPLAY="$HS_XVFB_DISPLAY" xdotool search --sync --class '^Weston Compositor$' | head -n1)"
  DISPLAY="$HS_XVFB_DISPLAY" xdotool mousemove --window "$window" 5 5 windowfocus --sync "$window"
  hs_log "WAYLAND_DISPLAY=$WAYLAND_DISPLAY DISPLAY=$DISPLAY (XWayland) on Xvfb $HS_XVFB_DISPLAY in $HS_DIR"
}

hs_start_app() {
  local name="$1"; shift
  setsid "$@" >"$HS_DIR/app-$name.log" 2>&1 &
  local pid=$!
  hs__track "$pid"
  printf -v "HS_PID_$name" '%s' "$pid"
  export "HS_PID_$name"
  echo "$pid"
}

# Starts an application the benchmarks use by name (menu_app is the Qt test application at
# path $2) and waits until it is on the accessibility bus; prints its pid.
hs_start_bench_app() {
  local app="$1" menu_app="${2:-}" pid
  if [ "$app" = menu_app ]; then
    pid="$(hs_start_app menu_app "$menu_app")"
  else
    pid="$(hs_start_app "${app//-/_}" "$app")"
  fi
  hs_wait_registered "$pid" 30
  echo "$pid"
}

# The accessibility bus address, as clients find it.
hs_a11y_address() {
  busctl --user call org.a11y.Bus /org/a11y/bus org.a11y.Bus GetAddress | sed -e 's/^s "//' -e 's/"$//'
}

hs_a11y_enabled() {
  [ "$(busctl --user get-property org.a11y.Bus /org/a11y/bus org.a11y.Status IsEnabled 2>/dev/null)" \
    = "b true" ]
}
hs_set_a11y() { busctl --user set-property org.a11y.Bus /org/a11y/bus org.a11y.Status IsEnabled b "$1"; }

# Stops the application started as NAME and waits up to 10 s for it to end.
hs_stop_app() {
  local pid="HS_PID_$1"
  kill -TERM "${!pid}"
  for _ in $(seq 100); do kill -0 "${!pid}" 2>/dev/null || return 0; sleep 0.1; done
}

# Whether one of the bus names after the first two arguments, on the bus at address $1, belongs to
# process $2.
hs__owned_by() {
  local addr="$1" pid="$2" n
  shift 2
  for n in "$@"; do
    [ "$(busctl --address="$addr" call org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus GetConnectionUnixProcessID s "$n" 2>/dev/null)" = "u $pid" ] && return 0
  done
  return 1
}

hs_wait_registered() {
  local pid="$1" seconds="${2:-20}" addr
  addr="$(hs_a11y_address)"
  local end=$((SECONDS + seconds))
  while ((SECONDS < end)); do
    # shellcheck disable=SC2046  # one bus name per word
    hs__owned_by "$addr" "$pid" $(busctl --address="$addr" call org.a11y.atspi.Registry \
      /org/a11y/atspi/accessible/root org.a11y.atspi.Accessible GetChildren 2>/dev/null |
      grep -o '":[0-9.]*"' | tr -d '"') && return 0
    sleep 0.1
  done
  hs_log "pid $pid did not appear on the accessibility bus"
  return 1
}

# Keys and pointer through XTEST, into the X server weston (or openbox) runs on.
hs_xdotool() { DISPLAY="$HS_XVFB_DISPLAY" xdotool "$@"; }

# Gives the keyboard to the first visible window of process PID (at most 5 s). xdotool's search
# takes the word after its options for the name to look for, so "search --pid P windowactivate"
# would look for windows named "windowactivate": the window is found first, then activated.
hs_activate() {
  local window
  window="$(DISPLAY="$HS_XVFB_DISPLAY" timeout 5 xdotool search --sync --onlyvisible --pid "$1" |
    head -n1)"
  [ -n "$window" ] && DISPLAY="$HS_XVFB_DISPLAY" timeout 5 xdotool windowactivate --sync "$window"
}

hs_screenshot() {
  # weston 10 draws a newly mapped override-redirect XWayland window (Tavrine's panel) only at its
  # next repaint for another reason: a pointer nudge makes one.
  if [ -n "${WAYLAND_DISPLAY:-}" ]; then
    hs_xdotool mousemove_relative 1 0 sleep 0.1 mousemove_relative -- -1 0 sleep 0.1
  fi
  import -display "$HS_XVFB_DISPLAY" -window root "$1"
}

hs_wait_active() {
  /usr/bin/python3 "$HS_LIB/atspi_probe.py" active "$1" --wait "${2:-20}"
}

# Waits until the process has a keystroke listener registered with the accessibility registry.
hs_wait_key_listener() {
  local pid="$1" seconds="${2:-20}" addr
  addr="$(hs_a11y_address)"
  local end=$((SECONDS + seconds))
  while ((SECONDS < end)); do
    # shellcheck disable=SC2046  # one bus name per word
    hs__owned_by "$addr" "$pid" $(busctl --address="$addr" call org.a11y.atspi.Registry \
      /org/a11y/atspi/registry/deviceeventcontroller org.a11y.atspi.DeviceEventController \
      GetKeystrokeListeners 2>/dev/null | grep -o '":[0-9.]*"' | tr -d '"' | sort -u) && return 0
    sleep 0.1
  done
  hs_log "pid $pid registered no keystroke listener"
  return 1
}

hs_hold_ctrl() {
  local pid="$1" screenshot="${2:-}" app="${3:-}" status=0
  hs_xdotool keydown Control_L
  sleep 0.8
  /usr/bin/python3 "$HS_E2E/overlay_rows.py" --pid "$pid" --wait-shown "${HS_WAIT_SHOWN:-2}" \
    --centred-on "$HS_SCREEN" || status=$?
  if [ -n "$app" ] && [ "$status" -eq 0 ] && ! hs_wait_active "$app" 0; then
    hs_log "the overlay took the focus from pid $app"
    status=1
  fi
  if [ -n "$screenshot" ] && [ "$status" -eq 0 ]; then hs_screenshot "$screenshot"; fi
  hs_xdotool keyup Control_L
  return "$status"
}

hs_stop() {
  [ -n "${HS_DIR:-}" ] && [ -d "$HS_DIR" ] || return 0
  local g
  # Applications first (last started), then the buses, the window manager and the X server.
  for g in $(tac "$HS_DIR/pgids"); do
    kill -CONT -- "-$g" 2>/dev/null || true
    kill -TERM -- "-$g" 2>/dev/null || true
  done
  local i left
  for i in $(seq 40); do
    left=0
    for g in $(cat "$HS_DIR/pgids"); do kill -0 -- "-$g" 2>/dev/null && left=1 || true; done
    ((left)) || break
    sleep 0.05
  done
  for g in $(cat "$HS_DIR/pgids"); do kill -KILL -- "-$g" 2>/dev/null || true; done
  if [ -n "${HS_KEEP_LOGS:-}" ]; then
    mkdir -p "$HS_KEEP_LOGS" && cp "$HS_DIR"/*.log "$HS_DIR"/*.out "$HS_KEEP_LOGS"/ 2>/dev/null
  fi
  rm -rf "$HS_DIR"
  unset HS_DIR
}
