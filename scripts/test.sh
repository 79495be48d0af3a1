#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up the machine, then checks the formatting, the floors of src/ (no include points up one)
# and the macOS backend's Objective-C++ syntax (against GNUstep's headers; not a macOS build),
# and builds and runs every test: the unit tests (the shell's both offscreen and on an X server),
# the end-to-end tests (X11, weston, GNOME Shell with Tavrine's extension), the Debian package,
# the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for a
# fixed number of inputs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

echo "== formatting =="
find src tests bench fuzz tools \( -name '*.cpp' -o -name '*.h' -o -name '*.mm' \) -print0 |
  xargs -0 clang-format --dry-run --Werror

echo "== floors =="
scripts/check-floors.sh

build() {
  echo "== $1 =="
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

# The macOS backend, which nothing here builds, parsed against GNUstep's headers.
scripts/check-objcxx.sh

build default
ctest --preset default
# The shell's tests again on a real X server: window flags, focus and activation behave there as
# on a desktop, which the offscreen platform only approximates.
echo "== default, shell tests under Xvfb =="
xvfb-run -a -s "-screen 0 1440x900x24" env QT_QPA_PLATFORM=xcb build/default/tests/shell/tavrine_shell_tests

# The program end to end with real applications: on a private X11 desktop, its pinned overlay
# there, and in a Wayland session.
tests/e2e/e2e.sh build/default
# GNOME Shell's own headless session with Tavrine's extension, where GTK 4 applications tell the
# accessibility bus nothing of their keys.
echo "== default, GNOME Shell with Tavrine's extension =="
scripts/try-gnome.sh

# The Debian package, from a release build of its own: the desktop entry, the metadata, what it
# holds and what it depends on, and lintian.
echo "== package =="
deb="$(scripts/package.sh)"
scripts/check-package.sh "$deb"

build asan
ctest --preset asan

build fuzz
ctest --preset fuzz
