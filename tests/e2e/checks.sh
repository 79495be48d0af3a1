# SPDX-License-Identifier: MIT
# Counting checks for the end-to-end scripts: pass, fail, expect_row and the summary.
failures=0
passes=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; passes=$((passes + 1)); }

# Fails unless the overlay lists `title` with a shortcut under the heading `menu`.
expect_row() {
  local overlay="$1" menu="$2" title="$3" shortcut="$4" app="$5"
  if awk -v m="$menu" -v t="$title" -v s="$shortcut" -F'\t' '
      /^[^ ]/ { heading = $0 }
      heading == m && $1 == "  " t && $2 == s { found = 1 }
      END { exit !found }' <<<"$overlay"; then
    pass "$app: $menu > $title ($shortcut)"
  else
    fail "$app: no row '$title' [$shortcut] under '$menu'"
  fi
}

# Every "MENU|TITLE|SHORTCUT" row must be in the overlay.
expect_rows() {
  local overlay="$1" app="$2" row menu title shortcut
  shift 2
  for row in "$@"; do
    IFS='|' read -r menu title shortcut <<<"$row"
    expect_row "$overlay" "$menu" "$title" "$shortcut" "$app"
  done
}

summary() {
  echo "end-to-end: $passes passed, $failures failed"
  ((failures == 0))
}
