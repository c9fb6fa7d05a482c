#!/usr/bin/env bash
# Renders the pictures of this folder again (render.sh) and puts them in place; the
# screenshots test then holds every later rendering to them, pixel for pixel.
#   docs/screenshots/update.sh [build directory, default build]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
cmake --build "$build" --target snapshot recdb_tool program_files installation_tables
"$here/render.sh" "$build" "$here"
