#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the overlay for the sample menu bar into docs/ (the README's pictures): both languages at
# 1440x900, the small 800x600 screen, and the whole 1440x900 screen with the panel over a white
# page.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release -DTAVRINE_BUILD_SHELL=ON >/dev/null
cmake --build --preset release --target tavrine-preview
preview=build/release/tools/tavrine-preview
sample=(--app Editor --icon samples/editor-icon.png samples/editor.menu)
"$preview" --size 1440x900 "${sample[@]}" docs/overlay-en.png
"$preview" --zh --size 1440x900 "${sample[@]}" docs/overlay-zh.png
"$preview" --size 800x600 "${sample[@]}" docs/overlay-800x600.png
"$preview" --size 1440x900 --page white "${sample[@]}" docs/overlay-white-page.png
# A panel whose Insert Table row is marked: the desktop binds Ctrl+Alt+T to its terminal.
"$preview" --size 1200x760 --desktop gnome --app Notes --bound "<Primary><Alt>t=Launch Terminal" \
  samples/notes.menu docs/images/panel-conflict.png
