#!/usr/bin/env bash
# Start to main window mapped, on an X server of its own (Xvfb, no window manager), for a
# current show of 0, 100, 1,000 and 5,000 slots, beside a minimal Qt Widgets program. Each
# start is timed RUNS times (default 5); the medians are printed with their ratios.
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

# "wall_ms cpu_ms title" of the median start.
reference=$("$timer" "$runs" "$build/bench/startup/startup_minimal_window")
ref_ms=${reference%% *}
printf '%-28s %10s %10s %12s %10s %10s\n' "start to window mapped" "wall ms" "CPU ms" "× minimal" "× 1,000" "× text"
printf '%-28s %10s %10s %12s %10s %10s\n' "minimal Qt program" "$ref_ms" \
  "$(cut -d' ' -f2 <<<"$reference")" "1.00" "-" "-"
# The same with a line of Chinese text: what any window of this program pays for its fonts.
text=$("$timer" "$runs" "$build/bench/startup/startup_minimal_window" --text)
text_ms=${text%% *}
printf '%-28s %10s %10s %12s %10s %10s\n' "minimal, one line of text" "$text_ms" \
  "$(cut -d' ' -f2 <<<"$text")" "$(awk -v a="$text_ms" -v b="$ref_ms" 'BEGIN { printf "%.2f", a / b }')" "-" "1.00"
thousand=""
for n in $slots; do
  "$build/bench/startup/startup_show_hall" "$build/dist" "$dir/hall$n" "$n"
  result=$("$timer" "$runs" "$build/dist/dancehall" --data "$dir/hall$n")
  ms=${result%% *}
  [ "$n" = 1000 ] && thousand=$ms
  per_thousand="-"
  [ -n "$thousand" ] && per_thousand=$(awk -v a="$ms" -v b="$thousand" 'BEGIN { printf "%.2f", a / b }')
  printf '%-28s %10s %10s %12s %10s %10s\n' "dancehall, $n slots" "$ms" "$(cut -d' ' -f2 <<<"$result")" \
    "$(awk -v a="$ms" -v b="$ref_ms" 'BEGIN { printf "%.2f", a / b }')" "$per_thousand" \
    "$(awk -v a="$ms" -v b="$text_ms" 'BEGIN { printf "%.2f", a / b }')"
  title=$(cut -d' ' -f3- <<<"$result")
  [ -n "$title" ] && [[ "$title" != *舞厅专用播放器* ]] && echo "  (first window mapped: $title)"
done
echo "goals: 1,000 slots <= 1.5 x minimal (about 100 ms); 5,000 slots <= 6 x 1,000"
