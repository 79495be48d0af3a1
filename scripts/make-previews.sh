#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the overlay for the sample menu bar in both languages into docs/ (the README's pictures).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release -DTAVRINE_BUILD_SHELL=ON >/dev/null
cmake --build --preset release --target tavrine-preview
preview=build/release/tools/tavrine-preview
for lang in en zh; do
  flag=()
  [ "$lang" = zh ] && flag=(--zh)
  "$preview" "${flag[@]}" --size 1440x900 --app Editor --icon samples/editor-icon.png \
    samples/editor.menu "docs/overlay-$lang.png"
done
