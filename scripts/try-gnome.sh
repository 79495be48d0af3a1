#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Tavrine on a headless GNOME Shell, as a person would try it: GNOME Shell's own Wayland session
# with XWayland and Tavrine's GNOME Shell extension installed (system-wide in a private prefix)
# and enabled, mousepad and a Qt 6 program as native Wayland clients, GNOME Text Editor
# (GTK 4, which forwards no keys to the accessibility bus), Tavrine on XWayland, keys typed
# through Mutter's remote-desktop D-Bus API. Checks that Ctrl reaches the accessibility bus, that
# holding it shows each application's shortcuts centred below the top bar without taking the
# focus, that letting go hides them, that Ctrl+O shows nothing, that the overlay follows the
# focus after Super+Tab, and that with Text Editor in front the extension tells Tavrine (and only
# Tavrine) of the hold and names the application, and that Tavrine offers the extension once when
# it is off. About a minute; scripts/setup.sh installs what it needs, and scripts/test.sh runs it.
# HS_KEEP_LOGS=FOLDER keeps the session's logs (the shell's, the bus monitor's, each program's).
# TD_BUILD=FOLDER tries that build (default build/default). HOLD_BENCH=N then times N holds with
# Text Editor and then mousepad in front (tavrine-hold-latency, HOLD_LATENCY to name another);
# scripts/bench-hold.sh does this with GNOME=1.
# Usage: scripts/try-gnome.sh [SCREENSHOT_FOLDER]   (after building tavrine and tavrine-menu-app)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=lib/try-desktop.sh
source "$root/scripts/lib/try-desktop.sh"
TD_SHOTS="${1:+$(mkdir -p "$1" && cd "$1" && pwd)}"
uuid=tavrine@tavrine.github.io
shell_iface=io.github.tavrine.Tavrine.Shell1

td_session || exit 1
export XDG_CURRENT_DESKTOP=GNOME
# Installed where `cmake --install` puts it (share/gnome-shell/extensions of a prefix, found
# through XDG_DATA_DIRS), as the build made it for this shell.
prefix="$HS_DIR/prefix"
mkdir -p "$prefix/share/gnome-shell/extensions"
cp -r "$TD_BUILD/packaging/gnome-shell/$uuid" "$prefix/share/gnome-shell/extensions/" ||
  exit 1
export XDG_DATA_DIRS="$prefix/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
setsid gnome-shell --headless --wayland --virtual-monitor 1280x800 --wayland-display=wayland-tavrine \
  >"$HS_DIR/gnome-shell.log" 2>&1 &
hs__track $!
for _ in $(seq 300); do
  busctl --user status org.gnome.Mutter.RemoteDesktop >/dev/null 2>&1 &&
    grep -q 'public X11 display' "$HS_DIR/gnome-shell.log" && break
  sleep 0.1
done
display="$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$HS_DIR/gnome-shell.log")"
if [ -z "$display" ]; then
  echo "GNOME Shell did not start:" >&2; tail -n 20 "$HS_DIR/gnome-shell.log" >&2; exit 1
fi
# What the session hands its applications: XWayland's display and its key.
export WAYLAND_DISPLAY=wayland-tavrine DISPLAY="$display"
XAUTHORITY="$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -n1)"
export XAUTHORITY
td_keys_start /usr/bin/python3 -u "$root/scripts/lib/mutter_keys.py" || exit 1

# Enabled through the shell itself: `gnome-extensions enable` writes the setting from its own
# process, which with the stack's in-memory settings the shell would never see.
extension_state() {
  busctl --user call org.gnome.Shell /org/gnome/Shell org.gnome.Shell.Extensions \
    GetExtensionInfo s "$uuid" 2>/dev/null | grep -o '"state" d [0-9]*' | grep -o '[0-9]*$'
}
# For hs_poll, which runs its command again each time (a "$(...)" argument would be read once).
extension_on() { test "$(extension_state)" = 1; }
extension_off() { ! extension_on; }
busctl --user call org.gnome.Shell /org/gnome/Shell org.gnome.Shell.Extensions EnableExtension \
  s "$uuid" >/dev/null 2>&1
if hs_poll 10 extension_on; then
  pass "GNOME Shell runs Tavrine's extension ($uuid, installed under $prefix/share)"
else
  fail "Tavrine's extension is not running (state '$(extension_state)'): $(grep -i -m3 'tavrine\|JS ERROR' "$HS_DIR/gnome-shell.log")"
fi
# Whatever the extension sends, whoever to: the monitor sees signals addressed to others too.
setsid dbus-monitor --session "interface='$shell_iface'" \
  "interface='org.freedesktop.Notifications',member='Notify'" >"$HS_DIR/shell-signals.log" 2>&1 &
hs__track $!

gnome_shot() { GDK_BACKEND=wayland gnome-screenshot -f "$1" >/dev/null 2>&1 || true; }
TD_SHOT=gnome_shot
TD_SWITCH=("keydown Super_L" "key Tab" "sleep 0.3" "keyup Super_L")
# The shell starts in the overview; Escape leaves it once there is a window.
td_first_window() { td_keys "key Escape"; }

# The unique bus name of the connection that subscribed from process $1.
subscriber_of() {
  local name
  for name in $(sed -n "s/^method call .* sender=\(:[0-9.]*\) .*member=Subscribe$/\1/p" \
    "$HS_DIR/shell-signals.log" | sort -u); do
    busctl --user call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus \
      GetConnectionUnixProcessID s "$name" 2>/dev/null | grep -qx "u $1" && { echo "$name"; return 0; }
  done
  return 1
}
# Whether the extension has sent signal $2 to $1 with the arguments in $3 (an extended regular
# expression over dbus-monitor's argument lines, joined by spaces), after line $4 of the log.
signalled() {
  tail -n +"$(($4 + 1))" "$HS_DIR/shell-signals.log" |
    awk -v to="$1" -v member="$2" '
      /^(signal|method|error)/ { if (hit) print args; hit = index($0, "destination=" to " ") && $0 ~ "member=" member "$"; args = ""; next }
      { gsub(/^ +/, ""); args = args " " $0 }
      END { if (hit) print args }' | grep -Eq -- "$3"
}

# Whether Tavrine asked for the notification that offers the extension after line $1 of the log.
offered() {
  tail -n +"$(($1 + 1))" "$HS_DIR/shell-signals.log" | grep -A12 'member=Notify$' |
    grep -q 'string "enable-extension"'
}

# A new Tavrine; `lines` counts the log's lines before it.
restart_tavrine() {
  hs_stop_app tavrine
  lines="$(wc -l <"$HS_DIR/shell-signals.log")"
  hs_start_app tavrine "$TD_BUILD/src/programs/tavrine" >/dev/null
}

# The extension is offered once: not when the user switches it off, then at the first start that
# finds GNOME Shell without it, and never again.
offer_checks() {
  local lines
  lines="$(wc -l <"$HS_DIR/shell-signals.log")"
  busctl --user call org.gnome.Shell /org/gnome/Shell org.gnome.Shell.Extensions DisableExtension \
    s "$uuid" >/dev/null 2>&1
  hs_poll 10 extension_off || fail "the extension could not be switched off"
  if hs_poll 3 offered "$lines"; then
    fail "switching the extension off brought up the offer to enable it"
  fi
  restart_tavrine
  if hs_poll 60 offered "$lines"; then
    pass "started without the extension, Tavrine offers it in a notification with an Enable button"
  else
    fail "started without the extension, Tavrine did not offer it"
  fi
  restart_tavrine
  if hs_poll 5 offered "$lines"; then
    fail "Tavrine offered the extension a second time"
  else
    pass "the next start does not offer it again"
  fi
}

td_more() {
  local me editor lines start overlay
  for _ in $(seq 60); do
    me="$(subscriber_of "$HS_PID_tavrine")" && break
    sleep 0.5
  done
  if [ -n "$me" ]; then
    pass "Tavrine subscribed to the extension as $me"
  else
    fail "Tavrine did not subscribe to the extension"
    return
  fi
  if busctl --user call org.gnome.Shell /io/github/tavrine/Tavrine/Shell "$shell_iface" Subscribe \
    >/dev/null 2>&1; then
    fail "the extension took a subscriber that does not own Tavrine's bus name"
  else
    pass "the extension refuses a subscriber that does not own Tavrine's bus name"
  fi
  lines="$(wc -l <"$HS_DIR/shell-signals.log")"
  hs_start_app editor env GDK_BACKEND=wayland gnome-text-editor >/dev/null
  editor="$HS_PID_editor"
  if hs_poll 30 signalled "$me" Focus "uint32 $editor string \"org.gnome.TextEditor\" string \"Text Editor\"" "$lines"; then
    pass "Text Editor (GTK 4): in front, named \"Text Editor\" to Tavrine with its pid $editor"
  else
    fail "Text Editor: the extension did not name it to Tavrine"
  fi
  lines="$(wc -l <"$HS_DIR/shell-signals.log")"
  start="$(date +%s%N)"
  td_keys "keydown Control_L"
  if hs_poll 5 signalled "$me" Modifiers "^ uint32 4$" "$lines"; then
    pass "Text Editor: Ctrl held alone reaches Tavrine $(td_ms_since "$start") ms after it went down"
  else
    fail "Text Editor: the extension did not tell Tavrine of Ctrl"
  fi
  # Shown once something says what Text Editor's shortcuts are (its shortcuts window).
  if overlay="$(/usr/bin/python3 "$HS_E2E/overlay_rows.py" --pid "$HS_PID_tavrine" \
    --wait-shown 5 --centred-on "$TD_AREA")"; then
    pass "Text Editor: the overlay is up with $(grep -c $'\t' <<<"$overlay") rows"
    if hs_wait_active "$editor" 0; then pass "Text Editor: keeps the focus"; else fail "Text Editor: lost the focus"; fi
  elif [ -d "$root/src/sources/gtk_shortcuts" ]; then  # the reader of GTK shortcuts windows
    fail "Text Editor: no overlay while Ctrl was held"
  else
    echo "note: Text Editor: no overlay (nothing here reads a GTK 4 application's shortcuts without a menu bar)"
  fi
  if [ -n "${TD_SHOTS:-}" ]; then gnome_shot "$TD_SHOTS/text-editor.png"; fi
  lines="$(wc -l <"$HS_DIR/shell-signals.log")"
  td_keys "keyup Control_L"
  if hs_poll 5 signalled "$me" Modifiers "^ uint32 0$" "$lines" &&
    /usr/bin/python3 "$HS_E2E/overlay_rows.py" --pid "$HS_PID_tavrine" --wait-gone 5; then
    pass "Text Editor: letting go reaches Tavrine and nothing stays on screen"
  else
    fail "Text Editor: the release did not reach Tavrine, or the overlay stayed"
  fi
  offer_checks
  # Nothing the extension sends goes to anyone but its subscribers (Ready excepted).
  if grep '^signal' "$HS_DIR/shell-signals.log" | grep -v 'member=Ready$' | grep -qv "destination=:"; then
    fail "the extension broadcast something besides Ready"
  else
    pass "the extension addressed every key and focus signal to its subscribers alone"
  fi
  if [ -n "${HOLD_BENCH:-}" ]; then hold_bench "$editor"; fi
}

# The hold timed from outside as on X11, with the keys typed through Mutter and Tavrine's windows
# read on XWayland, which keeps no image of its screen: drawn is the panel's own window showing
# what it draws, beside a bare window showing its background.
hold_bench() {
  # On again after the offer's checks, and Tavrine subscribed to it.
  busctl --user call org.gnome.Shell /org/gnome/Shell org.gnome.Shell.Extensions EnableExtension \
    s "$uuid" >/dev/null 2>&1
  if ! hs_poll 10 extension_on ||
    ! hs_poll 30 subscriber_of "$HS_PID_tavrine" >/dev/null; then
    fail "the hold benchmark: the extension is not on, or Tavrine did not subscribe"
    return
  fi
  hs_wait_active "$1" 10 || td_keys "${TD_SWITCH[@]}"
  echo "== GNOME Shell $(gnome-shell --version | grep -o '[0-9.]*$'), Text Editor in front: the first hold, then $HOLD_BENCH"
  timed_holds 1 && timed_holds "$HOLD_BENCH" || fail "the hold benchmark with Text Editor in front"
  td_keys "${TD_SWITCH[@]}"
  if hs_wait_active "$HS_PID_mousepad" 10; then
    echo "== GNOME Shell, mousepad in front: $HOLD_BENCH holds"
    timed_holds "$HOLD_BENCH" || fail "the hold benchmark with mousepad in front"
  fi
}
# $1 holds timed, the keys typed through the try's injector; its answers are counted as td_keys's.
timed_holds() {
  local status=0
  "${HOLD_LATENCY:-$TD_BUILD/bench/linux/tavrine-hold-latency}" --keys-injector "$HS_DIR/keys.in" \
    "$HS_DIR/keys.log" --window-pixels "$HS_PID_tavrine" "$1" 500 1500 || status=1
  TD_KEYS_DONE="$(grep -c '^ok' "$HS_DIR/keys.log")"
  return "$status"
}
td_try
