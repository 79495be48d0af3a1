#!/usr/bin/env bash
# Sets up the machine, builds the release configuration and runs the demonstration.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release -DTAVRINE_BUILD_SHELL=ON >/dev/null
cmake --build --preset release --target tavrine-demo tavrine-preview
exec build/release/tools/tavrine-demo "$@"
