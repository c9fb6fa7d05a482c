#!/usr/bin/env bash
# Renders the eight windows with the Qt platform into this folder, as they look when loaded.
#   docs/screenshots/update.sh [build directory, default build]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
cmake --build "$build" --target snapshot
out=$(mktemp -d)
QT_QPA_PLATFORM=offscreen "$build/tools/snapshot/snapshot" "$out"
for pair in 52010001:main-window 52010402:save-show-dialog 520108f5:closing-notice \
            520109b8:style-settings-window 52010b7a:light-test-window \
            52010c25:style-editor-window 520111e7:style-pick-dialog 520112cc:opening-time-dialog; do
  cp "$out/${pair%%:*}.png" "$here/${pair#*:}.png"
done
rm -r "$out"
