#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Tavrine on a headless GNOME Shell, as a person would try it: GNOME Shell's own Wayland session
# with XWayland, mousepad and a Qt 6 program as native Wayland clients, Tavrine on XWayland, keys
# typed through Mutter's remote-desktop D-Bus API. Checks that Ctrl reaches the accessibility bus,
# that holding it shows each application's shortcuts centred below the top bar without taking the
# focus, that letting go hides them, that Ctrl+O shows nothing, and that the overlay follows the
# focus after Super+Tab. Manual, not part of CI; needs (beyond scripts/setup.sh):
#   apt-get install --no-install-recommends gnome-shell gjs gnome-screenshot x11-utils
# Usage: scripts/try-gnome.sh [SCREENSHOT_FOLDER]   (after building tavrine and tavrine-menu-app)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=lib/try-desktop.sh
source "$root/scripts/lib/try-desktop.sh"
TD_SHOTS="${1:+$(mkdir -p "$1" && cd "$1" && pwd)}"

td_session || exit 1
export XDG_CURRENT_DESKTOP=GNOME
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

gnome_shot() { GDK_BACKEND=wayland gnome-screenshot -f "$1" >/dev/null 2>&1 || true; }
TD_SHOT=gnome_shot
TD_SWITCH=("keydown Super_L" "key Tab" "sleep 0.3" "keyup Super_L")
# The shell starts in the overview; Escape leaves it once there is a window.
td_first_window() { td_keys "key Escape"; }
td_try
