#!/usr/bin/env bash
# Renders the eleven pictures of this folder into OUTDIR with the Qt platform offscreen, at a
# fixed time of day so that the calendar shows the same day whenever they are made: the ten
# windows as they look when loaded, and the main window once more as the program shows a show
# of six slots with their lengths. Needs the snapshot and recdb tools and build/dist built.
#   docs/screenshots/render.sh BUILD OUTDIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
out=$2
at="2026-12-07 20:00:00"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -r "$work"' EXIT

export QT_QPA_PLATFORM=offscreen
"$build/tools/snapshot/snapshot" "$work/windows" --at "$at"
for pair in 52010001:main-window 52010402:save-show-dialog 520108f5:closing-notice \
            520109b8:style-settings-window 52010b7a:light-test-window \
            52010c25:style-editor-window 520111e7:style-pick-dialog 520112cc:opening-time-dialog \
            52012000:light-output-window 52013000:remote-settings-window; do
  cp "$work/windows/${pair%%:*}.png" "$out/${pair#*:}.png"
done

# A hall folder with one saved show; its tracks are copies of a 3-second test recording, run
# together to dance lengths.
hall="$work/hall"
mkdir -p "$hall/lb" "$hall/tracks" "$work/session"
cp "$build"/dist/{dqqf.dat,dqqfls.dat,qfsz.dat,ss.dat} "$hall"
media=$(cd "$here/../../tests/data/media" && pwd)
slot=0
add() { # style, title, copies of the recording (none: a slot without a track)
  slot=$((slot + 1))
  if [ -z "${3:-}" ]; then
    "$build/tools/recdb/recdb" append "$hall/dqqf.dat" "$slot" "$1" "" ""
    return
  fi
  for ((i = 0; i < $3; i++)); do cat "$media/cbr_stereo_44k.mp3"; done > "$hall/tracks/$2.mp3"
  "$build/tools/recdb/recdb" append "$hall/dqqf.dat" "$slot" "$1" "$2" "$hall/tracks/$2.mp3"
}
add 序曲 开场 45
add 慢四 月光下的凤尾竹 72
add 快四 青春舞曲 58
add 探戈 一剪梅 80
add 华尔兹
add 慢四 夜来香 66
cp "$hall/dqqf.dat" "$hall/lb/周六晚场.dat"
XDG_RUNTIME_DIR="$work/session" XDG_CONFIG_HOME="$work/session" \
  "$build/tools/snapshot/snapshot" "$work/show" --at "$at" --hall "$hall"
cp "$work/show/52010001.png" "$out/main-window-show.png"
