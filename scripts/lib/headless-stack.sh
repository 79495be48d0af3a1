# SPDX-License-Identifier: MIT
# A private desktop for tests and demonstrations: Xvfb, a session bus, openbox and the
# accessibility bus with its switch on. Source this file, then:
#
#   hs_start                  start the stack; exports DISPLAY, DBUS_SESSION_BUS_ADDRESS,
#                             XDG_RUNTIME_DIR, HOME and HS_DIR (the stack's temporary folder)
#   hs_start_app NAME CMD...  start an application; its pid is in HS_PID_<NAME> (and printed)
#   hs_wait_registered PID [SECONDS]
#                             wait until that process is on the accessibility bus
#   hs_hold_ctrl TAVRINE_PID [SCREENSHOT]
#                             hold Ctrl for 0.8 s in the application in front, print Tavrine's
#                             overlay as AT-SPI shows it (and take a screenshot while it is up);
#                             fails when no overlay appeared
#   hs_stop                   stop everything hs_start and hs_start_app started, remove HS_DIR
#
# Safe under `set -euo pipefail`. Each process runs in its own process group (setsid) so that what it spawns (the bus daemons'
# activated services) stops with it; only those groups are signalled.

hs_log() { echo "headless-stack: $*" >&2; }

# Records a started process group for hs_stop.
hs__track() { echo "$1" >>"$HS_DIR/pgids"; }

hs_start() {
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

  # A free display, chosen by the server itself.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$HS_DIR/display" \
    >"$HS_DIR/xvfb.log" 2>&1 &
  hs__track $!
  local i
  for i in $(seq 100); do
    [ -s "$HS_DIR/display" ] && break
    sleep 0.05
  done
  if [ ! -s "$HS_DIR/display" ]; then
    hs_log "Xvfb did not start"; hs_stop; return 1
  fi
  export DISPLAY=":$(head -n1 "$HS_DIR/display")"

  setsid dbus-daemon --session --nofork --nopidfile --address="unix:path=$HS_DIR/runtime/bus" \
    >"$HS_DIR/dbus.log" 2>&1 &
  hs__track $!
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$HS_DIR/runtime/bus"
  for i in $(seq 100); do
    [ -S "$HS_DIR/runtime/bus" ] && break
    sleep 0.05
  done

  setsid openbox --sm-disable >"$HS_DIR/openbox.log" 2>&1 &
  hs__track $!

  # The accessibility bus, owned by the launcher; its own bus daemon and the registry are its
  # descendants and share its process group.
  setsid /usr/libexec/at-spi-bus-launcher --launch-immediately >"$HS_DIR/a11y.log" 2>&1 &
  hs__track $!
  for i in $(seq 100); do
    busctl --user status org.a11y.Bus >/dev/null 2>&1 && break
    sleep 0.05
  done
  # Toolkits register on the accessibility bus only if the switch was on when they started.
  if ! busctl --user set-property org.a11y.Bus /org/a11y/bus org.a11y.Status IsEnabled b true; then
    hs_log "could not turn the accessibility switch on"; hs_stop; return 1
  fi
  hs_log "DISPLAY=$DISPLAY in $HS_DIR"
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

# The accessibility bus address, as clients find it.
hs_a11y_address() {
  busctl --user call org.a11y.Bus /org/a11y/bus org.a11y.Bus GetAddress | sed -e 's/^s "//' -e 's/"$//'
}

hs_wait_registered() {
  local pid="$1" seconds="${2:-20}" addr names n
  addr="$(hs_a11y_address)"
  local end=$((SECONDS + seconds))
  while ((SECONDS < end)); do
    names="$(busctl --address="$addr" call org.a11y.atspi.Registry /org/a11y/atspi/accessible/root \
      org.a11y.atspi.Accessible GetChildren 2>/dev/null | grep -o '":[0-9.]*"' | tr -d '"' || true)"
    for n in $names; do
      if [ "$(busctl --address="$addr" call org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus GetConnectionUnixProcessID s "$n" 2>/dev/null)" = "u $pid" ]; then
        return 0
      fi
    done
    sleep 0.1
  done
  hs_log "pid $pid did not appear on the accessibility bus"
  return 1
}

hs_hold_ctrl() {
  local pid="$1" screenshot="${2:-}" status=0
  local rows
  rows="$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/overlay_rows.py"
  xdotool keydown Control_L
  sleep 0.8
  /usr/bin/python3 "$rows" --pid "$pid" --wait-shown 2 || status=$?
  if [ -n "$screenshot" ] && [ "$status" -eq 0 ]; then import -window root "$screenshot"; fi
  xdotool keyup Control_L
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
  rm -rf "$HS_DIR"
  unset HS_DIR
}
