# SPDX-License-Identifier: MIT
# What the end-to-end scripts share: their arguments (BUILD_DIR [SCREENSHOT.png]), the programs
# under test, the headless stack (stopped at exit), and counting checks: pass, fail, the overlay's
# rows and the summary.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:?usage: $0 BUILD_DIR [SCREENSHOT.png]}" && pwd)"
screenshot="${2:-}"
tavrine="$build/src/programs/tavrine"
menu_app="$build/tests/linux/tavrine-menu-app"
rows="$here/overlay_rows.py"
# shellcheck source=../../scripts/lib/headless-stack.sh
source "$here/../../scripts/lib/headless-stack.sh"
trap hs_stop EXIT
# Rows each application's overlay must show, as "MENU|TITLE|SHORTCUT".
mousepad_rows=("FILE|New|Ctrl+N" "FILE|Open...|Ctrl+O" "FILE|Save As...|Ctrl+Shift+S"
  "FILE|Quit|Ctrl+Q" "SEARCH|Find|Ctrl+F" "EDIT|Delete Line|Ctrl+Shift+Delete")
menu_app_rows=("FILE|Save As…|Ctrl+Shift+S" "FILE|Clear List|Ctrl+Alt+K" "VIEW|Zoom In|Ctrl++"
  "VIEW|Full Screen|F11" "EDIT|Delete|Delete")
failures=0
passes=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; passes=$((passes + 1)); }

# Every "MENU|TITLE|SHORTCUT" row must be in the overlay: TITLE with SHORTCUT under the heading MENU.
expect_rows() {
  local overlay="$1" app="$2" row menu title shortcut
  shift 2
  for row in "$@"; do
    IFS='|' read -r menu title shortcut <<<"$row"
    if awk -v m="$menu" -v t="$title" -v s="$shortcut" -F'\t' '
        /^[^ ]/ { heading = $0 }
        heading == m && $1 == "  " t && $2 == s { found = 1 }
        END { exit !found }' <<<"$overlay"; then
      pass "$app: $menu > $title ($shortcut)"
    else
      fail "$app: no row '$title' [$shortcut] under '$menu'"
    fi
  done
}

# Holds Ctrl in the focused application APP (pid PID), optionally saving a screenshot, and checks
# the overlay's rows, that APP kept the focus and that the overlay goes with the release.
hold_shows() {
  local app="$1" pid="$2" shot="$3" overlay
  shift 3
  if overlay="$(hs_hold_ctrl "$HS_PID_tavrine" "$shot" "$pid")"; then
    head -n 12 <<<"$overlay"
    pass "$app: the overlay is up${pid:+ and $app keeps the focus}"
    expect_rows "$overlay" "$app" "$@"
  else
    fail "$app: no overlay in the centre while Ctrl was held, or it took the focus"
  fi
  if /usr/bin/python3 "$rows" --pid "$HS_PID_tavrine" --wait-gone "${HS_WAIT_GONE:-1}"; then
    pass "$app: the overlay is gone after the release"
  else
    fail "$app: the overlay stayed after the release"
  fi
}

# NAME: waits until the application started as NAME is on the accessibility bus, and fronts it.
front() {
  local pid="HS_PID_$1"
  hs_wait_registered "${!pid}"
  hs_activate "${!pid}" >/dev/null 2>&1 || true
  sleep 0.5
}

# Switches the accessibility bus on when it is off, reporting which of the two it was.
expect_a11y_on() {
  local what="$1"
  if hs_poll 10 hs_a11y_enabled; then
    pass "$what switched accessibility on"
  else
    fail "$what did not switch accessibility on; switching it on directly"
    hs_set_a11y true
  fi
}

summary() {
  echo "end-to-end: $passes passed, $failures failed"
  ((failures == 0))
}
