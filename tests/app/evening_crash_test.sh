#!/usr/bin/env bash
# The evening under kill -9: plays a scripted evening in a hall folder, kills the program at a
# random moment, checks every table with `recdb check`, then starts the program again and has
# it check that it carried on with the logged slot from just before the logged position.
# Prints a line per failed run and the figures at the end; non-zero on any failure.
#
# usage: evening_crash_test.sh BUILD_DIR RUNS [MAX_DELAY_MS]
#   RUNS: 10 in the test suite; give 50 or more by hand.
set -uo pipefail
build=$(cd "$1" && pwd)
runs=$2
max_delay=${3:-1500}
driver=$build/tests/app/app_evening_crash_driver
recdb=$build/tools/recdb/recdb

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$driver" "$scratch/seed" seed || { echo "cannot seed a hall folder"; exit 1; }

failed=0
carried=0
for ((run = 0; run < runs; run++)); do
    hall=$scratch/run
    rm -rf "$hall"
    cp -a "$scratch/seed" "$hall"
    "$driver" "$hall" play >/dev/null 2>&1 &
    pid=$!
    delay=$((RANDOM % max_delay + 100))
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    problems=""
    while IFS= read -r -d '' table; do
        out=$("$recdb" check "$table") || problems+=" [$(basename "$table"): $out]"
    done < <(find "$hall" -maxdepth 2 -name '*.dat' ! -name ss.dat ! -name '.*' -print0)
    out=$("$driver" "$hall" check 2>&1) || problems+=" [next start: ${out//$'\n'/; }]"
    [[ $out == "carried on: "* ]] && carried=$((carried + 1))
    if [[ -n $problems ]]; then
        failed=$((failed + 1))
        echo "run $run (killed after ${delay} ms):$problems"
    fi
done
echo "evening crash test: $runs runs, $failed failed, $carried carried on where the log said"
[[ $failed -eq 0 ]]
