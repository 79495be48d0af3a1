#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package: sets up the machine, then a hardened release build of the program
# alone (no tests, benchmarks or fuzz targets) that CPack packages. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >&2
# A package of an older version left here would match `tavrine_*.deb` too.
rm -f build/package/tavrine_*.deb
cmake --workflow --preset package >&2
ls build/package/tavrine_*.deb
