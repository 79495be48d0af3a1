#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A syntax and drift check of the macOS backend's Objective-C++, here on Linux: clang parses every
# .mm file with automatic reference counting, blocks and the project's warnings as errors, against
# GNUstep's AppKit and Foundation headers (Debian's libgnustep-gui-dev) and the stand-in headers in
# tools/objcxx-stubs for what GNUstep lacks (Core Foundation, Core Graphics, the accessibility
# calls, newer AppKit). It catches language and bridging errors, warnings, and a .mm that no
# longer matches its plain C++ header. It is not a macOS build: nothing is linked or run, and
# GNUstep's declarations are not Apple's.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== Objective-C++ syntax check (GNUstep headers, not a macOS build) =="
# Debian 13 moved the headers under the multiarch folder; GNUstep's own tool knows where.
gnustep="$(gnustep-config --variable=GNUSTEP_SYSTEM_HEADERS 2>/dev/null || true)"
if [ ! -f "$gnustep/AppKit/AppKit.h" ] || ! command -v clang++ >/dev/null; then
  echo "check-objcxx: needs clang++ and GNUstep's headers (scripts/setup.sh installs them)" >&2
  exit 1
fi

# The warnings every target builds with, as errors, and a definition without an earlier
# declaration: a .mm whose function no longer matches its header's.
mapfile -t warnings < <(sed -n '/target_compile_options(tavrine_warnings INTERFACE/,/)/p' \
  CMakeLists.txt | grep -o -- '-W[A-Za-z-]*' | sort -u)
flags=(-std=c++20 -fobjc-arc -fblocks "${warnings[@]}" -Werror -Wmissing-prototypes
  # Debian's GNUstep is built on GCC's runtime; ARC needs clang's GNUstep runtime model.
  -fobjc-runtime=gnustep-2.0 -DGNUSTEP -DGNUSTEP_BASE_LIBRARY=1 -DGNU_GUI_LIBRARY=1 -DGNU_RUNTIME=1
  -isystem tools/objcxx-stubs -isystem "$gnustep" -isystem "$(gcc -print-file-name=include)"
  -Isrc)

# AppKit parsed once, for the files that import it.
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
echo '#import <AppKit/AppKit.h>' >"$tmp/appkit.h"
clang++ "${flags[@]}" -x objective-c++-header "$tmp/appkit.h" -o "$tmp/appkit.pch"

failed=0
for file in src/backends/macos/*.mm; do
  pch=()
  grep -q '^#import <AppKit/AppKit.h>' "$file" && pch=(-include-pch "$tmp/appkit.pch")
  clang++ "${flags[@]}" "${pch[@]}" -x objective-c++ -fsyntax-only "$file" || failed=1
done
if ((failed)); then
  echo "check-objcxx: the macOS backend's Objective-C++ has errors (above)" >&2
  exit 1
fi
echo "$(ls src/backends/macos/*.mm | wc -l) files checked"
