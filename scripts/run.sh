#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up the machine, builds the release configuration and starts Tavrine. On a desktop it runs
# in the background of your session (hold Ctrl in an application). Without a display it shows a
# demonstration instead: a private X11 desktop with mousepad, Ctrl held for 0.8 s, the overlay's
# rows as Tavrine's accessible tree reports them, and a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tavrine tavrine-demo tavrine-preview
tavrine=build/release/src/programs/tavrine

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${1:-}" != "--demo" ]; then
  exec "$tavrine"
fi

screenshot="$PWD/build/tavrine-demo.png"
# shellcheck source=lib/headless-stack.sh
source scripts/lib/headless-stack.sh
trap hs_stop EXIT
hs_start
hs_start_app tavrine "$tavrine" >/dev/null
hs_start_app mousepad mousepad >/dev/null
hs_wait_registered "$HS_PID_tavrine"
hs_wait_registered "$HS_PID_mousepad"
xdotool search --sync --onlyvisible --pid "$HS_PID_mousepad" --class mousepad windowactivate --sync \
  >/dev/null 2>&1 || true
sleep 0.5

echo "Holding Ctrl in mousepad for 0.8 s; Tavrine's overlay reads:"
status=0
hs_hold_ctrl "$HS_PID_tavrine" "$screenshot" || status=$?
echo "Screenshot: $screenshot"
exit "$status"
