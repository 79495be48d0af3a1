#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the desktop integration and the Debian package built by scripts/package.sh: the desktop
# entry and the AppStream metadata validate, the release is the same version everywhere, the
# package holds the program, every file a desktop looks for and the GNOME Shell extension, its
# dependencies were read off the binary, lintian finds no error or warning, and the installed
# program's tray icon is the theme's symbolic icon.
#
#   scripts/check-package.sh build/package/tavrine_VERSION_ARCH.deb
set -euo pipefail
cd "$(dirname "$0")/.."
deb="${1:?usage: $0 PACKAGE.deb}"
id=io.github.tavrine.Tavrine
src=packaging/linux

fail() {
  echo "check-package: $*" >&2
  exit 1
}

desktop-file-validate "$src/$id.desktop"
appstreamcli validate --no-net "$src/$id.metainfo.xml"

# One version: the project's (which CPack gives the package), the newest AppStream release and
# the newest changelog entry.
version="$(dpkg-deb -f "$deb" Version)"
release="$(grep -o -m1 '<release version="[^"]*"' "$src/$id.metainfo.xml" | cut -d'"' -f2)"
entry="$(dpkg-parsechangelog -l "$src/changelog" -S Version)"
[ "$release" = "$version" ] || fail "the metainfo's newest release is $release, the package $version"
[ "$entry" = "$version" ] || fail "the changelog's newest entry is $entry, the package $version"

contents="$(dpkg-deb -c "$deb")"
expect() {  # MODE PATH: the package holds PATH with permissions MODE
  grep -Eq "^$1 root/root +[0-9]+ [0-9-]+ [0-9:]+ \./$2\$" <<<"$contents" ||
    fail "the package lacks $2 (as $1)"
}
expect -rwxr-xr-x usr/bin/tavrine
expect -rw-r--r-- "usr/share/applications/$id.desktop"
expect -rw-r--r-- "usr/share/metainfo/$id.metainfo.xml"
for size in 16 24 32 48 64 128 256; do
  expect -rw-r--r-- "usr/share/icons/hicolor/${size}x$size/apps/$id.png"
done
expect -rw-r--r-- "usr/share/icons/hicolor/scalable/apps/$id.svg"
expect -rw-r--r-- "usr/share/icons/hicolor/symbolic/apps/$id-symbolic.svg"
expect -rw-r--r-- usr/share/man/man1/tavrine.1.gz
for sheet in firefox-esr chromium thunar; do
  expect -rw-r--r-- "usr/share/tavrine/sheets/$sheet.toml"
done
expect -rw-r--r-- usr/share/doc/tavrine/copyright
expect -rw-r--r-- usr/share/doc/tavrine/changelog.gz
for file in metadata.json extension.js feed.js; do
  expect -rw-r--r-- "usr/share/gnome-shell/extensions/tavrine@tavrine.github.io/$file"
done
# Nothing starts by itself at login: autostart is the user's choice.
! grep -q 'etc/xdg/autostart' <<<"$contents" || fail "the package autostarts Tavrine"

# Installed as a desktop finds it: the launchable desktop entry, the icon and the metadata
# together.
tree="$(mktemp -d)"
# shellcheck source=lib/headless-stack.sh
source scripts/lib/headless-stack.sh
trap 'hs_stop; rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
appstreamcli validate-tree --no-net "$tree"

depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt6widgets6 libicu libxres1 libxtst6 qt6-qpa-plugins; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
grep -q at-spi2-core <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "Recommends lacks at-spi2-core"

lintian --fail-on error,warning "$deb"

# Everything it depends on exists on this release: apt would install it (simulated).
simulated="$(apt-get install -s "$(realpath "$deb")" 2>&1)" ||
  fail "apt cannot install the package on this release: $(tail -n 3 <<<"$simulated")"

# Installed, the tray icon is the theme's symbolic icon, handed to StatusNotifierItem hosts by
# name so that the desktop recolours it: the unpacked program and icons on a private desktop
# whose tray is a stand-in watcher.
hs_start
hs_start_app watcher /usr/bin/python3 -u scripts/lib/status_notifier_watcher.py >/dev/null
for _ in $(seq 50); do
  busctl --user status org.kde.StatusNotifierWatcher >/dev/null 2>&1 && break
  sleep 0.1
done
hs_start_app tavrine env XDG_DATA_DIRS="$tree/usr/share:/usr/share" "$tree/usr/bin/tavrine" \
  >/dev/null
item=""
for _ in $(seq 100); do
  item="$(sed -n 's/^registered //p' "$HS_DIR/app-watcher.log" | head -n1)"
  [ -n "$item" ] && break
  sleep 0.1
done
[ -n "$item" ] || fail "the installed program put no icon in the tray"
icon="$(busctl --user get-property "$item" /StatusNotifierItem org.kde.StatusNotifierItem IconName)"
[ "$icon" = "s \"$id-symbolic\"" ] || fail "the tray icon is not the theme's $id-symbolic: $icon"
echo "check-package: $deb passed"
