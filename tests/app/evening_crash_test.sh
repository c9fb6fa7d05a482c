#!/usr/bin/env bash
# The evening under kill -9: plays a scripted evening in a hall folder, kills the program at a
# random moment, checks every table with `recdb check`, then starts the program again and has
# it check that it carried on with the logged slot from just before the logged position.
# Prints a line per failed run and the figures at the end; non-zero on any failure.
#
# usage: evening_crash_test.sh BUILD_DIR RUNS [MAX_DELAY_MS]
#   RUNS: 10 in the test suite; give 50 or more by hand.
set -uo pipefail
# shellcheck source=tests/app/kill_runs.sh
source "$(dirname "$0")/kill_runs.sh"
runs=$2
max_delay=${3:-1500}
kill_runs_setup "$1" app_evening_crash_driver

failed=0
carried=0
for ((run = 0; run < runs; run++)); do
    delay=$((RANDOM % max_delay + 100))
    kill_run "$delay" play
    problems=$(damaged_tables)
    out=$("$driver" "$hall" check 2>&1) || problems+=" [next start: ${out//$'\n'/; }]"
    [[ $out == "carried on: "* ]] && carried=$((carried + 1))
    if [[ -n $problems ]]; then
        failed=$((failed + 1))
        echo "run $run (killed after ${delay} ms):$problems"
    fi
done
echo "evening crash test: $runs runs, $failed failed, $carried carried on where the log said"
[[ $failed -eq 0 ]]
