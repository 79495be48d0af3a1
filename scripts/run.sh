#!/usr/bin/env bash
# Sets up the machine, builds the release configuration and runs the demonstration.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tavrine-demo
exec build/release/src/tavrine-demo "$@"
