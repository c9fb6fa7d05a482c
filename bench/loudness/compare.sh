#!/usr/bin/env bash
# Makes a 5-minute pink-noise track and a 5-minute music-like tone track, then prints, on one
# core, how fast we measure loudness beside ffmpeg's R128 meter on the same files (goal: at
# least as fast), and the player's CPU with the loudness gain on and off (goal: < 0.1 % of a
# core difference). Needs ffmpeg (scripts/install-deps):
#   bench/loudness/compare.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
runs=${RUNS:-3}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

ffmpeg -nostdin -v error -f lavfi -t 300 -i "anoisesrc=color=pink:sample_rate=44100:amplitude=0.4" \
  -ac 2 -c:a libmp3lame -b:a 192k "$dir/noise.mp3"
ffmpeg -nostdin -v error -f lavfi -t 300 -i "sine=frequency=440:sample_rate=44100" \
  -af "volume=-6dB,tremolo=f=2:d=0.6" -ac 2 -c:a libmp3lame -b:a 192k "$dir/tone.mp3"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
# CPU seconds (user + system) of a command on core 0, its output dropped.
cpu_of() { taskset -c 0 /usr/bin/time -f '%U %S' "$@" 2>&1 >/dev/null | tail -1 | awk '{ print $1 + $2 }'; }

for track in noise tone; do
  file="$dir/$track.mp3"
  echo "== $track.mp3 (300 s): analysis on one core, CPU seconds, median of $runs"
  for _ in $(seq "$runs"); do
    echo "$(cpu_of "$build/bench/loudness/loudness_bench" analyse "$file") \
      $(cpu_of ffmpeg -nostdin -nostats -threads 1 -i "$file" -af ebur128=peak=true -f null -)"
  done >"$dir/times.txt"
  ours=$(awk '{ print $1 }' "$dir/times.txt" | median)
  theirs=$(awk '{ print $2 }' "$dir/times.txt" | median)
  awk -v o="$ours" -v t="$theirs" 'BEGIN {
    printf "ours   %.3f s  %5.0f s of audio per second\n", o, 300 / o
    printf "ffmpeg %.3f s  %5.0f s of audio per second  (ours takes %.2fx its time)\n", t, 300 / t, o / t }'
  echo "-- figures: ours, then ffmpeg's summary"
  taskset -c 0 "$build/tools/loudness/loudness" "$file" | tail -n +2
  ffmpeg -nostdin -nostats -threads 1 -i "$file" -af ebur128=peak=true -f null - 2>&1 \
    | awk '/Summary:/ { s = 1 } s && /(I|LRA|Peak):/ { print "  " $0 }'
done

echo "== playback CPU with the gain off and on (goal: difference < 0.1 % of a core)"
taskset -c 0 "$build/bench/loudness/loudness_bench" gain "$dir/tone.mp3"
