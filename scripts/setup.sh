#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what the build, the tests, the benchmarks, the fuzz targets and the Debian package need
# (Debian 12 and 13), skipping whatever is already there. "a|b" takes the first of the names that
# this release has, for a package renamed or split between releases.
set -euo pipefail

packages=(
  build-essential cmake g++ pkg-config
  libicu-dev                       # Unicode: normalisation, graphemes, case mapping
  libxkbcommon-dev                 # X keysym names in Linux accelerators
  libgtest-dev libgmock-dev        # unit tests
  libbenchmark-dev                 # benchmarks
  clang libclang-rt-dev            # libFuzzer and its sanitizer runtimes (clang's own version)
  clang-format
  qt6-base-dev qt6-qpa-plugins     # the shell: status item, menus, the overlay panel
  fonts-dejavu-core fonts-noto-cjk # Latin and Chinese glyphs for the overlay
  fonts-noto-color-emoji           # emoji in application names, titles and the status menu
  python3                          # the floor check of src/ (scripts/check-floors.sh)
  xvfb xauth                       # shell tests on a real X server
  libx11-dev libxi-dev             # Linux backend: X11, XInput 2 raw key events
  libxres-dev                      # Linux backend: the process behind a window (X-Resource)
  libsystemd-dev                   # Linux backend: sd-bus (accessibility switch, one instance, menus)
  libglib2.0-dev libglib2.0-dev-bin # GTK shortcuts windows: GResource bundles, builder XML; fixtures
  gettext                          # the tests' gettext catalogue (msgfmt)
  libtomlplusplus-dev              # sheets: TOML with line-numbered errors
  libxtst-dev                      # typing a row's chord; tests, the hold benchmark (XTEST)
  x11-xkb-utils                    # backend tests: other keyboard layouts (setxkbmap)
  dbus-daemon at-spi2-core         # backend tests: a session bus and the accessibility bus
  # A private desktop for the live AT-SPI checks and the benchmark (scripts/lib/headless-stack.sh):
  openbox xdotool systemd          # a window manager, XTEST from the shell, busctl
  trayer imagemagick               # a tray for the status item; screenshots
  xcompmgr                         # a compositor for the backdrop screenshots (shoot-backdrop.sh)
  mousepad geany python3-pyatspi   # applications read, and the pyatspi baseline
  gnome-text-editor thunar firefox-esr  # shortcuts windows, sheets (the end-to-end test)
  kwrite                           # a KDE (Qt 5) application with its menu bar hidden (end to end)
  idle vim-gtk3                    # sheets: a Tk application run by python3, gVim (end-to-end)
  libreoffice-writer libreoffice-gtk3  # menus built when first asked: reading ahead (end to end)
  weston xwayland qt6-wayland      # a Wayland session: compositor, X11 clients in it, Qt on it
  # GNOME Shell's own Wayland session with Tavrine's extension (scripts/try-gnome.sh); it also
  # brings gnome-extensions, which packs the extension; gjs also runs the extension's feed test.
  gnome-shell gjs gnome-screenshot x11-utils gnome-text-editor
  # The Debian package (scripts/package.sh, scripts/check-package.sh): the icon's PNG sizes from
  # its SVG, the package's dependencies read off the binary, and the validators.
  librsvg2-bin dpkg-dev
  desktop-file-utils appstream lintian
  'qt6-svg-plugins|libqt6svg6'     # the themed tray icon (the SVG plugins have a package of their own from Qt 6.8)
  python3-gi                       # a stand-in tray on the session bus
  libgnustep-gui-dev               # headers for the macOS backend's Objective-C++ syntax check
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
available() { apt-cache policy "$1" 2>/dev/null | grep Candidate | grep -qv '(none)'; }

# An entry is there when its first name this release has is installed.
missing=()
for p in "${packages[@]}"; do
  IFS='|' read -ra names <<<"$p"
  for n in "${names[@]}"; do
    if installed "$n"; then continue 2; fi
    available "$n" && break
  done
  missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  for i in "${!missing[@]}"; do
    IFS='|' read -ra names <<<"${missing[$i]}"
    for n in "${names[@]}"; do
      if available "$n"; then
        missing[$i]="$n"
        break
      fi
    done
  done
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
