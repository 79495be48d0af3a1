#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Tavrine end to end with real applications, each case on a headless stack of its own (a session
# bus, the accessibility bus), its overlay read back through AT-SPI as a screen reader would:
#   x11     Xvfb and openbox: the status menu, holds in ten applications, `tavrine --list`
#   pinned  the pinned overlay there: pinning, filtering, running and closing it
#   weston  a Wayland session: no tray, native Wayland clients, keys heard through the registry
# Usage: tests/e2e/e2e.sh BUILD_DIR [CASE...] (all by default); E2E_SHOTS=FOLDER keeps screenshots.
# Sourced with BUILD_DIR (scripts/lib/try-desktop.sh), it only defines the checks.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:?usage: $0 BUILD_DIR [CASE...]}" && pwd)"
tavrine="$build/src/programs/tavrine"
menu_app="$build/tests/linux/tavrine-menu-app"
rows="$here/overlay_rows.py"
# shellcheck source=../../scripts/lib/headless-stack.sh
source "$here/../../scripts/lib/headless-stack.sh"
# Rows each application's overlay must show, as "MENU|TITLE|SHORTCUT".
mousepad_rows=("FILE|New|Ctrl+N" "FILE|Open...|Ctrl+O" "FILE|Save As...|Ctrl+Shift+S"
  "FILE|Quit|Ctrl+Q" "SEARCH|Find|Ctrl+F" "EDIT|Delete Line|Ctrl+Shift+Delete")
menu_app_rows=("FILE|Save As…|Ctrl+Shift+S" "FILE|Clear List|Ctrl+Alt+K" "VIEW|Zoom In|Ctrl++"
  "VIEW|Full Screen|F11" "EDIT|Delete|Delete")
failures=0
passes=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; passes=$((passes + 1)); }
# PASSED FAILED COMMAND...: one check, passed or failed as COMMAND succeeds.
check() { if "${@:3}"; then pass "$1"; else fail "$2"; fi; }

# NAME: where to save a screenshot called NAME, or nothing when none is wanted.
shot() { if [ -n "${E2E_SHOTS:-}" ]; then echo "$E2E_SHOTS/$1.png"; fi; }

# [SECONDS]: whether Tavrine's overlay is up, or gone, within SECONDS (2).
overlay_up() { /usr/bin/python3 "$rows" --pid "$HS_PID_tavrine" --wait-shown "${1:-2}" >/dev/null; }
overlay_gone() { /usr/bin/python3 "$rows" --pid "$HS_PID_tavrine" --wait-gone "${1:-2}"; }

# Every "MENU|TITLE|SHORTCUT" row must be in the overlay: TITLE with SHORTCUT under the heading MENU;
# every "= TEXT" line as it is.
expect_rows() {
  local overlay="$1" app="$2" row menu title shortcut
  shift 2
  for row in "$@"; do
    if [[ $row == "= "* ]]; then
      check "$app: $row" "$app: no line '$row'" grep -qxF -- "$row" <<<"$overlay"
      continue
    fi
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
  check "$app: the overlay is gone after the release" "$app: the overlay stayed after the release" \
    overlay_gone "${HS_WAIT_GONE:-1}"
}

# NAME: waits until the application started as NAME is on the accessibility bus, and fronts it.
front() {
  local pid="HS_PID_$1"
  hs_wait_registered "${!pid}"
  hs_activate "${!pid}" >/dev/null 2>&1 || true
  sleep 0.5
}
# NAME COMMAND...: starts COMMAND as NAME and fronts it.
start_front() { hs_start_app "$@" >/dev/null; front "$1"; }

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

# [CASE]: the counts, kept for the run's last line when a case is named.
summary() {
  echo "end-to-end${1:+ $1}: $passes passed, $failures failed"
  if [ -n "${1:-}" ] && [ -n "${E2E_RESULTS:-}" ]; then
    echo "$1 $passes/$((passes + failures))" >>"$E2E_RESULTS"
  fi
  ((failures == 0))
}

# LIST_ARGS... EXPECTED...: `tavrine --list` prints each EXPECTED text.
list_shows() {
  local what="$1" args="$2" listed text
  shift 2
  listed="$("$tavrine" --list $args 2>&1)" || true
  for text in "$@"; do
    check "tavrine --list $what: $text" "tavrine --list $what lacks '$text':"$'\n'"$listed" \
      grep -qF -- "$text" <<<"$listed"
  done
}

# Ctrl held on past the hold time with O typed at once in APP: a shortcut, not a hold.
ctrl_o_shows_nothing() {
  hs_xdotool keydown Control_L key o
  if overlay_up 2 2>/dev/null; then
    fail "$1: Ctrl+O showed the overlay"
  else
    pass "$1: Ctrl+O shows nothing"
  fi
  hs_xdotool keyup Control_L
}

case_x11() {
  hs_start
  hs_set_a11y false

  # 1. The permission flow: untrusted at start, the status menu's accessibility item switches the
  #    accessibility bus on. The tray shows Tavrine's icon; its menu is driven from the keyboard.
  hs_start_app tray trayer --edge top --align left --widthtype pixel --width 64 --height 24 \
    --expand false >/dev/null
  sleep 0.5
  hs_start_app tavrine "$tavrine" >/dev/null
  sleep 1.5
  check "a second start says Tavrine is already running" "a second start did not refuse to run" \
    [ "$("$tavrine" 2>&1; echo "rc=$?")" = "$(printf 'Tavrine is already running.\nrc=0')" ]
  local tray X Y
  tray="$(xdotool search --sync --class trayer | head -n1)"
  eval "$(xdotool getwindowgeometry --shell "$tray")"
  # The icon docks some time after the program starts: try the menu a few times.
  for _ in 1 2 3; do
    xdotool mousemove $((X + 12)) $((Y + 12)) click 1
    sleep 0.7
    # Language (a submenu), Settings…, then the accessibility item.
    xdotool key Down Down Down Return
    hs_poll 3 hs_a11y_enabled && break
    xdotool key Escape
  done
  expect_a11y_on "the status menu"
  # Qt registers on the accessibility bus only if the switch was on when it started, and the
  # overlay is read back through it: start Tavrine again now that it is on.
  hs_stop_app tavrine
  hs_start_app tavrine "$tavrine" >/dev/null
  hs_wait_registered "$HS_PID_tavrine"

  # 2. mousepad (GTK 3).
  start_front mousepad mousepad
  hold_shows mousepad "$HS_PID_mousepad" "$(shot x11)" "${mousepad_rows[@]}"

  # 3. A Qt 6 program.
  start_front menu_app "$menu_app"
  hold_shows menu-app "$HS_PID_menu_app" "" "${menu_app_rows[@]}"

  # 3a. The user's settings, read live: a shorter hold, and an application never shown over.
  #     Removed again, the defaults are back for the rest.
  local settings="$XDG_CONFIG_HOME/tavrine/settings.toml" watcher shown_at pressed_at
  mkdir -p "${settings%/*}"
  printf 'hold_delay_ms = 200\nnever_show_over = ["mousepad"]\n' >"$settings"
  watcher="$(/usr/bin/python3 "$rows" --pid "$HS_PID_tavrine" --wait-shown 4 --print-time &
    sleep 2 && pressed_at=$(date +%s%3N) && hs_xdotool keydown Control_L && echo "$pressed_at")"
  hs_xdotool keyup Control_L
  read -r pressed_at shown_at <<<"$(echo $watcher)"
  check "hold_delay_ms = 200: the panel was up $((shown_at - pressed_at)) ms after the press" \
    "hold_delay_ms = 200: no panel within 150-450 ms of the press" \
    test $((${shown_at:-0} - ${pressed_at:-0})) -ge 150 -a $((${shown_at:-0} - ${pressed_at:-0})) -lt 450
  overlay_gone 2 || true
  front mousepad
  check "never_show_over: mousepad gets no panel" "never_show_over: mousepad got a panel" \
    eval '! hs_hold_ctrl "$HS_PID_tavrine" "" "" 2>/dev/null'
  rm "$settings"
  sleep 1
  hold_shows mousepad "$HS_PID_mousepad" "" "FILE|New|Ctrl+N"

  # 3b. LibreOffice Writer, cold: it builds its accessible menus only when first asked, which
  #     takes longer than a hold's read may. Read ahead when its window comes to the front, the
  #     first hold shows its rows as soon as the hold completes.
  hs_start_app writer soffice --writer --norestore --nologo >/dev/null
  hs_xdotool search --sync --onlyvisible --class libreoffice windowactivate --sync \
    >/dev/null 2>&1 || true
  sleep 3
  HS_WAIT_SHOWN=1 hold_shows writer "$(pgrep -n -x soffice.bin)" "" "FILE|Save|Ctrl+S" \
    "FORMAT|Bold|Ctrl+B" "HELP|LibreOffice Help|F1" "TABLE|Insert Table...|Ctrl+F12"
  pkill -x soffice.bin || true

  # 4. Shortcuts in no readable menu bar: GNOME Text Editor (GTK 4; its shortcuts window), Thunar
  #    and Firefox (menus empty until opened: sheets). `tavrine --list` prints the same rows with
  #    their sources, and in Chinese the applications' own translations.
  start_front gte gnome-text-editor --standalone
  hold_shows gnome-text-editor "$HS_PID_gte" "$(shot x11-text-editor)" \
    "DOCUMENTS|Save|Ctrl+S" "WINDOWS|New window|Ctrl+N" "ZOOM|Zoom In|Ctrl++"
  list_shows "(GNOME Text Editor)" "$HS_PID_gte" $'Save\tCtrl+S\tshortcuts window'
  list_shows "(GNOME Text Editor, Chinese)" "$HS_PID_gte --zh" "保存" "文档"
  hs_stop_app gte

  start_front thunar env HOME="$HS_DIR" thunar "$HS_DIR"
  hold_shows thunar "$HS_PID_thunar" "" "FILE|New Tab|Ctrl+T" \
    "VIEW|Show Hidden Files|Ctrl+H" "EDIT|Select by Pattern…|Ctrl+S"
  list_shows "(Thunar, Chinese)" "$HS_PID_thunar --zh" "显示隐藏文件"
  hs_stop_app thunar

  mkdir -p "$HS_DIR/firefox"
  start_front firefox env HOME="$HS_DIR" firefox-esr --no-remote --new-instance \
    --profile "$HS_DIR/firefox" about:blank
  hold_shows firefox "$HS_PID_firefox" "" "FILE|New Private Window|Ctrl+Shift+P" \
    "HISTORY|Show All History|Ctrl+Shift+H" "TOOLS|Downloads|Ctrl+Shift+Y"
  list_shows "(Firefox)" "$HS_PID_firefox" $'New Tab\tCtrl+T\tsheet' "menus empty until opened"
  list_shows "(Firefox, Chinese)" "$HS_PID_firefox --zh" "新建隐私窗口"
  list_shows "(Firefox, JSON)" "$HS_PID_firefox --json" \
    '{"heading": "File", "title": "New Tab", "keys": "Ctrl+T", "source": "sheet"}' \
    '"menu bar": "menus empty until opened"'
  hs_stop_app firefox
  # KWrite (KDE, Qt 5) with its menu bar hidden (Ctrl+M) and New rebound by its user: KXmlGui
  # keeps the rebinding in the local ui file; the hidden menu bar is still read, the editor's own
  # rows too.
  mkdir -p "$XDG_DATA_HOME/kxmlgui5/kwrite"
  printf '%s\n' '<!DOCTYPE gui>' '<gui name="kwrite" version="1"><ActionProperties scheme="Default">' \
    '<Action name="file_new" shortcut="Ctrl+Alt+N"/></ActionProperties></gui>' \
    >"$XDG_DATA_HOME/kxmlgui5/kwrite/kateui.rc"
  echo text >"$HS_DIR/note.txt"
  start_front kwrite kwrite "$HS_DIR/note.txt"
  hs_xdotool key ctrl+m
  sleep 1
  hold_shows kwrite "$HS_PID_kwrite" "" "FILE|New|Ctrl+Alt+N" "FILE|Quit|Ctrl+Q" "EDIT|Undo|Ctrl+Z"
  hs_stop_app kwrite

  # IDLE (Tk: no accessibility bridge; python3 runs its script, whose desktop entry names the
  # sheet) and gVim (GTK: its menu keys sit in labels the bus does not show): their sheets.
  hs_start_app idle_tk idle >/dev/null
  hs_xdotool search --sync --onlyvisible --name '^IDLE Shell' windowactivate --sync \
    >/dev/null 2>&1 || true
  sleep 0.5
  hold_shows idle "" "" "FILE|Open...|Ctrl+O" "RUN|Run Module|F5"
  hs_stop_app idle_tk
  start_front gvim gvim -f
  # gVim's frame never reports the active state over the bus: its focus is not checked.
  hold_shows gvim "" "" "EDIT|Redo|Ctrl+R"
  hs_stop_app gvim
  hs_start_app idle sleep 60 >/dev/null
  list_shows "(a program with no shortcuts)" "$HS_PID_idle" "Nothing to show" \
    "menu bar: not on the accessibility bus" "no shortcuts window" "no sheet (yours would be"

  # 4c. No rows of its own (no menu bar): the panel says why, and where a sheet would go.
  start_front bare "$menu_app" --no-menus
  local why="= No menu bar and no shortcuts window found. A sheet for it would go in"
  why+=" ~/${XDG_CONFIG_HOME#"$HOME"/}/tavrine/sheets/tavrine-menu-app.toml"
  hold_shows bare "$HS_PID_bare" "$(shot panel-empty-reason)" "$why"
  hs_stop_app bare

  # 5. A stopped application in front: Tavrine gives up within its deadline and keeps running.
  kill -STOP "$HS_PID_menu_app"
  local start elapsed
  start=$(date +%s%N)
  xdotool keydown Control_L
  sleep 0.8
  xdotool keyup Control_L
  # Tavrine's own accessible tree answers only if its main thread is free again.
  if timeout 5 /usr/bin/python3 "$rows" --pid "$HS_PID_tavrine" --wait-gone 1 &&
    kill -0 "$HS_PID_tavrine"; then
    elapsed=$((($(date +%s%N) - start) / 1000000 - 800))
    check "a stopped application: Tavrine answered ${elapsed} ms after the release" \
      "a stopped application: Tavrine took ${elapsed} ms after the release" [ "$elapsed" -lt 1000 ]
  else
    fail "a stopped application: Tavrine did not answer"
  fi
  kill -CONT "$HS_PID_menu_app"

  # 6. The desktop's own shortcuts as the user remapped them: on GNOME, Close window on Super+Q
  #    in the user's GSettings (a keyfile of this run's own) shows so in the system section.
  local gnome_home="$HS_DIR/gnome-config" overlay
  mkdir -p "$gnome_home/glib-2.0/settings"
  printf '[org/gnome/desktop/wm/keybindings]\nclose=['"'"'<Super>q'"'"']\n' \
    >"$gnome_home/glib-2.0/settings/keyfile"
  hs_stop_app tavrine
  hs_start_app tavrine env XDG_CURRENT_DESKTOP=GNOME GSETTINGS_BACKEND=keyfile \
    GSETTINGS_SCHEMA_DIR="$build/tests/linux/schemas" XDG_CONFIG_HOME="$gnome_home" \
    "$tavrine" >/dev/null
  hs_wait_registered "$HS_PID_tavrine"
  front menu_app
  if overlay="$(hs_hold_ctrl "$HS_PID_tavrine" "$(shot gnome-remapped)" "$HS_PID_menu_app")"; then
    check "GNOME: the remapped Close window shows on Super+Q" \
      "GNOME: no 'Close window' on Super+Q under Window:"$'\n'"$overlay" \
      awk -F'\t' 'tolower($0) == "window" { w = 1; next } /^[^ ]/ { w = 0 }
        w && $1 == "  Close window" && $2 == "Super+Q" { found = 1 } END { exit !found }' \
      <<<"$overlay"
  else
    fail "GNOME: no overlay while Ctrl was held"
  fi
  overlay_gone 2 >/dev/null || true
}

case_pinned() {
  hs_start
  hs_set_a11y true
  # A sheet row that no menu item stands behind: Ctrl++ needs Shift on this layout.
  mkdir -p "$XDG_CONFIG_HOME/tavrine/sheets"
  printf '[[group]]\nheading = "Sheet"\nshortcuts = [{ title = "Bigger Text", keys = "<Primary>plus" }]\n' \
    >"$XDG_CONFIG_HOME/tavrine/sheets/tavrine-menu-app.toml"
  hs_start_app tavrine "$tavrine" >/dev/null
  hs_wait_registered "$HS_PID_tavrine"
  local app_log="$HS_DIR/app-menu_app.log" overlay
  start_front menu_app "$menu_app"

  # Fronts menu-app, holds Ctrl until the overlay is up, then pins it with GESTURE ("click" or
  # "shift") and lets go.
  pin() {
    front menu_app
    hs_xdotool keydown Control_L
    sleep 0.8
    overlay_up || fail "no overlay while Ctrl was held"
    if [ "$1" = click ]; then
      hs_xdotool mousemove $((${HS_SCREEN%x*} / 2)) $((${HS_SCREEN#*x} / 2)) click 1
    else
      hs_xdotool key Shift_L sleep 0.1 key Shift_L
    fi
    sleep 0.3
    hs_xdotool keyup Control_L
    sleep 0.5
    check "pinned by $1: the overlay stays after the release and has the keyboard" \
      "pinned by $1: the overlay went with the release or has no keyboard" \
      eval 'overlay_up 1 && hs_wait_active "$HS_PID_tavrine" 3'
  }
  gave_back() {
    check "$1: the overlay is gone and menu-app has the keyboard again" \
      "$1: the overlay stayed or menu-app did not get the keyboard back" \
      eval 'overlay_gone 3 && hs_wait_active "$HS_PID_menu_app" 5'
  }

  # 1. Before pinning, nothing takes the keyboard: the ordinary hold is unchanged.
  hold_shows menu-app "$HS_PID_menu_app" "" "VIEW|Full Screen|F11"

  # 2. Pin with a click, type, run with Enter.
  pin click
  hs_xdotool type --delay 80 "zoom"
  sleep 0.5
  overlay="$(/usr/bin/python3 "$rows" --pid "$HS_PID_tavrine")"
  printf '%s\n' "$overlay"
  grep -q $'Zoom In\tCtrl++' <<<"$overlay" && grep -q $'Zoom Out\tCtrl+-' <<<"$overlay" &&
    ! grep -q $'^  New\t' <<<"$overlay" && pass "typing filters the rows" ||
    fail "typing 'zoom' did not leave the zoom rows alone"
  if [ -n "${E2E_SHOTS:-}" ]; then hs_screenshot "$(shot pinned)"; fi
  hs_xdotool key BackSpace BackSpace BackSpace BackSpace
  hs_xdotool type --delay 80 "ctrl n"
  sleep 0.5
  hs_xdotool key Return
  gave_back "Enter"
  hs_poll 5 grep -qx "triggered: &New" "$app_log" &&
    pass "Enter ran the best match in menu-app (File > New)" ||
    fail "menu-app did not run New: $(cat "$app_log")"
  check "nothing else ran" "more than one command ran: $(cat "$app_log")" \
    [ "$(grep -c '^triggered:' "$app_log")" -eq 1 ]

  # 3. Pin from the keyboard, find nothing, close with Esc: nothing runs.
  pin shift
  hs_xdotool type --delay 50 "qqqq"
  sleep 0.3
  hs_xdotool key Return Escape
  gave_back "Esc"
  [ "$(grep -c '^triggered:' "$app_log")" -eq 1 ] && pass "Enter on no match ran nothing" ||
    fail "something ran without a match: $(cat "$app_log")"

  # 4. A click outside closes it.
  pin click
  hs_xdotool mousemove 5 $((${HS_SCREEN#*x} - 5)) click 1
  gave_back "a click outside"

  # 5. A sheet's row runs as its chord, typed into menu-app once it has the keyboard back.
  pin shift
  hs_xdotool type --delay 80 "bigger"
  sleep 0.3
  hs_xdotool key Return
  gave_back "Enter on a sheet row"
  hs_poll 5 grep -qx "triggered: Zoom &In" "$app_log" && pass "the sheet row's chord ran Zoom In" ||
    fail "menu-app did not get the sheet row's Ctrl++: $(cat "$app_log")"
}

case_weston() {
  # A loaded machine reads menus slowly: wait long for what must come, never for what must not.
  export HS_WAIT_SHOWN=10 HS_WAIT_GONE=5
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
  local notice probe probe_pid
  notice="$(wait_line "$HS_DIR/app-notifications.log" "notify 1")"
  [[ "$notice" == *AppIndicator*$'\t'"Turn on accessibility" ]] &&
    pass "no tray: a notification names the extension and offers to turn accessibility on" ||
    fail "no tray: no notification with the extension and the accessibility action: '$notice'"
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
  wait "$probe_pid" || {
    cat "$probe" >&2
    fail "the desktop: no Ctrl reached the accessibility bus from mousepad; the rest cannot work"
    return
  }
  pass "the desktop: mousepad reports Ctrl on the accessibility bus"

  hs_start_app tavrine "$tavrine" >/dev/null
  hs_wait_registered "$HS_PID_tavrine" 60
  check "Tavrine listens to keys through the accessibility registry" \
    "Tavrine registered no keystroke listener" hs_wait_key_listener "$HS_PID_tavrine" 30
  notice="$(wait_line "$HS_DIR/app-notifications.log" "notify 2")"
  [[ -n "$notice" && "$notice" == *$'\t' ]] &&
    pass "no tray, accessibility on: the notification offers no action" ||
    fail "no tray, accessibility on: '$notice'"

  # 3. mousepad, a native Wayland GTK 3 application.
  hold_shows mousepad "$HS_PID_mousepad" "$(shot weston)" "${mousepad_rows[@]}"

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
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  shift
  [ $# -gt 0 ] || set -- x11 pinned weston
  [ -z "${E2E_SHOTS:-}" ] || E2E_SHOTS="$(mkdir -p "$E2E_SHOTS" && cd "$E2E_SHOTS" && pwd)"
  E2E_RESULTS="$(mktemp)" status=0
  for name in "$@"; do
    echo "== end to end: $name =="
    # A stack and counts of its own, the stack stopped when the case ends.
    set +e
    (
      set -e
      trap hs_stop EXIT
      "case_$name"
      summary "$name"
    )
    (($? == 0)) || status=1
    set -e
  done
  echo "end to end: $(paste -sd, "$E2E_RESULTS" | sed 's/,/, /g')"
  rm -f "$E2E_RESULTS"
  exit "$status"
fi
