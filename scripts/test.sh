#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test: the unit tests, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for a fixed number of inputs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

for preset in default asan fuzz; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
