#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what the build, the tests, the benchmarks, the fuzz targets and the Debian package need
# (Debian 12), skipping whatever is already there.
set -euo pipefail

packages=(
  build-essential cmake g++ pkg-config
  libicu-dev                       # Unicode: normalisation, graphemes, case mapping
  libxkbcommon-dev                 # X keysym names in Linux accelerators
  libgtest-dev libgmock-dev        # unit tests
  libbenchmark-dev                 # benchmarks
  clang libclang-rt-14-dev         # libFuzzer and its sanitizer runtimes
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
  weston xwayland qt6-wayland      # a Wayland session: compositor, X11 clients in it, Qt on it
  # GNOME Shell's own Wayland session with Tavrine's extension (scripts/try-gnome.sh); it also
  # brings gnome-extensions, which packs the extension; gjs also runs the extension's feed test.
  gnome-shell gjs gnome-screenshot x11-utils gnome-text-editor
  # The Debian package (scripts/package.sh, scripts/check-package.sh): the icon's PNG sizes from
  # its SVG, the package's dependencies read off the binary, and the validators.
  librsvg2-bin dpkg-dev
  desktop-file-utils appstream lintian
  libqt6svg6 python3-gi            # the themed tray icon; a stand-in tray on the session bus
  libgnustep-gui-dev               # headers for the macOS backend's Objective-C++ syntax check
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
