#!/usr/bin/env bash
# Start to main window mapped, on an X server of its own (Xvfb, no window manager), for a
# current show of 0, 100, 1,000 and 5,000 slots, beside a minimal Qt Widgets program. The
# programs are started in turn, one start each per round, RUNS rounds (default 5), so a machine
# that speeds up or slows down over the minutes weighs on all of them alike. Printed: the median
# of each program's starts, and the median of its ratios to the reference taken round by round.
#   scripts/with-test-env bench/startup/compare.sh [BUILD_DIR]
# with-test-env gives the program a private sound server: without one a warning box would
# open before the main window. SLOTS="0 100" picks other show sizes.
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${RUNS:-5}
slots=${SLOTS:-"0 100 1000 5000"}
timer="$build/bench/startup/startup_map_timer"
dir=$(mktemp -d)
xvfb_pid=""
trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null; wait; rm -rf "$dir"' EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$dir/display" ] && break
  sleep 0.05
done
[ -s "$dir/display" ] || { cat "$dir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$dir/display")" QT_QPA_PLATFORM=xcb
unset DBUS_SESSION_BUS_ADDRESS

names="minimal text"
for n in $slots; do
  "$build/bench/startup/startup_show_hall" "$build/dist" "$dir/hall$n" "$n"
  names+=" slots$n"
done
label_of() {
  case $1 in
    minimal) echo "minimal Qt program" ;;
    text) echo "minimal, one line of text" ;;
    *) echo "dancehall, ${1#slots} slots" ;;
  esac
}
# Appends "wall_ms cpu_ms title" of one start to the program's file.
start_once() {
  case $1 in
    minimal) "$timer" 1 "$build/bench/startup/startup_minimal_window" ;;
    text) "$timer" 1 "$build/bench/startup/startup_minimal_window" --text ;;
    *) "$timer" 1 "$build/dist/dancehall" --data "$dir/hall${1#slots}" ;;
  esac >>"$dir/$1.txt"
}

for _ in $(seq "$runs"); do
  for name in $names; do
    start_once "$name"
  done
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
wall_of() { awk '{ print $1 }' "$dir/$1.txt" | median; }
# The median over the rounds of one program's start divided by the other's in the same round.
ratio_of() {
  paste -d' ' <(awk '{ print $1 }' "$dir/$1.txt") <(awk '{ print $1 }' "$dir/$2.txt") |
    awk '{ printf "%.4f\n", $1 / $2 }' | median | xargs printf '%.2f'
}

printf '%-28s %10s %10s %12s %10s %10s\n' "start to window mapped" "wall ms" "CPU ms" "× minimal" "× 1,000" "× text"
for name in $names; do
  per_thousand="-" per_text="-"
  [ -f "$dir/slots1000.txt" ] && [[ $name == slots* ]] && per_thousand=$(ratio_of "$name" slots1000)
  [ "$name" = minimal ] || per_text=$(ratio_of "$name" text)
  printf '%-28s %10s %10s %12s %10s %10s\n' "$(label_of "$name")" "$(wall_of "$name")" \
    "$(awk '{ print $2 }' "$dir/$name.txt" | median)" "$(ratio_of "$name" minimal)" \
    "$per_thousand" "$per_text"
  title=$(tail -n1 "$dir/$name.txt" | cut -d' ' -f3-)
  if [[ $name == slots* ]] && [[ "$title" != *舞厅专用播放器* ]]; then
    echo "  (first window mapped: $title)"
  fi
done
echo "ratios: medians of the round-by-round ratios"
echo "goals: 1,000 slots <= 1.5 x the minimal program with text (about 100 ms); 5,000 slots <= 6 x 1,000"
