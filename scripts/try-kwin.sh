#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Tavrine on a headless KWin, as a person would try it: KWin's virtual output with XWayland,
# mousepad and a Qt 6 program as native Wayland clients, Tavrine on XWayland, keys typed through
# KWin's fake-input Wayland protocol. The same checks as scripts/try-gnome.sh, with Alt+Tab to
# switch back. Manual, not part of CI; needs (beyond scripts/setup.sh):
#   apt-get install --no-install-recommends kwin-wayland libwayland-dev libwayland-bin \
#     plasma-wayland-protocols x11-utils
# Usage: scripts/try-kwin.sh [SCREENSHOT_FOLDER]   (after building tavrine and tavrine-menu-app)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=lib/try-desktop.sh
source "$root/scripts/lib/try-desktop.sh"
TD_SHOTS="${1:+$(mkdir -p "$1" && cd "$1" && pwd)}"

td_session || exit 1
protocol=/usr/share/plasma-wayland-protocols/fake-input.xml
wayland-scanner client-header "$protocol" "$HS_DIR/fake-input-client-protocol.h" &&
  wayland-scanner private-code "$protocol" "$HS_DIR/fake-input-protocol.c" &&
  cc -std=c11 -Wall -Wextra -O2 -I"$HS_DIR" "$root/scripts/lib/kwin_keys.c" \
    "$HS_DIR/fake-input-protocol.c" -lwayland-client -o "$HS_DIR/kwin_keys" || exit 1

export XDG_CURRENT_DESKTOP=KDE
# Lets any client use fake input (else only those whose desktop file asks for it).
export KWIN_WAYLAND_NO_PERMISSION_CHECKS=1
# kwin_wayland carries a file capability that a container without it refuses to run; a copy
# carries none.
kwin=kwin_wayland
if ! kwin_wayland --version >/dev/null 2>&1; then
  cp "$(command -v kwin_wayland)" "$HS_DIR/kwin_wayland" && kwin="$HS_DIR/kwin_wayland"
fi
# KWin starts the session's programs once XWayland is up: this one reports their environment.
printf '#!/bin/sh\nenv >"%s/session.env.part" && mv "%s/session.env.part" "%s/session.env"\n' \
  "$HS_DIR" "$HS_DIR" "$HS_DIR" >"$HS_DIR/session.sh"
chmod +x "$HS_DIR/session.sh"
setsid "$kwin" --virtual --xwayland --width 1280 --height 800 --socket wayland-tavrine \
  --no-lockscreen "$HS_DIR/session.sh" >"$HS_DIR/kwin.log" 2>&1 &
hs__track $!
for _ in $(seq 300); do [ -s "$HS_DIR/session.env" ] && break; sleep 0.1; done
display="$(sed -n 's/^DISPLAY=//p' "$HS_DIR/session.env" 2>/dev/null)"
if [ -z "$display" ]; then
  echo "KWin did not start:" >&2; tail -n 20 "$HS_DIR/kwin.log" >&2; exit 1
fi
export WAYLAND_DISPLAY=wayland-tavrine DISPLAY="$display"
xauthority="$(sed -n 's/^XAUTHORITY=//p' "$HS_DIR/session.env")"
if [ -n "$xauthority" ]; then export XAUTHORITY="$xauthority"; fi
td_keys_start "$HS_DIR/kwin_keys" || exit 1

# KWin's screenshot API serves only clients it trusts: shoot the panel's own XWayland window.
kwin_shot() {
  local window
  window="$(xwininfo -root -tree | awk '/"Tavrine": \("tavrine"/ { print $1; exit }')"
  if [ -n "$window" ]; then timeout 10 import -window "$window" "$1" || true; fi
}
TD_SHOT=kwin_shot
TD_SWITCH=("keydown Alt_L" "key Tab" "sleep 0.3" "keyup Alt_L")
td_try
