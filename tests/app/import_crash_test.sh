#!/usr/bin/env bash
# The import under kill -9: imports an installation's folder of 300 shows into a hall in use
# and kills the import with SIGKILL, every other run at a random moment of it and every other
# run at a random one of its renames (it kills itself there: the moves into the hall take a
# few milliseconds of the seconds that copying takes). Then checks every table with
# `recdb check`, starts the program on the hall and has it check that the hall is all old or
# all new, and that the start said which when it found the import cut short. Prints a line per
# failed run and the figures at the end; non-zero on any failure.
#
# usage: import_crash_test.sh BUILD_DIR RUNS
#   RUNS: 20 in the test suite; give 100 or more by hand.
set -uo pipefail
# shellcheck source=tests/app/kill_runs.sh
source "$(dirname "$0")/kill_runs.sh"
runs=$2
kill_runs_setup "$1" app_import_crash_driver
source=$kill_runs_scratch/source

fresh_hall() {
    rm -rf "$hall"
    cp -a "$kill_runs_scratch/seed" "$hall"
}

# How long a whole import takes here, and how many renames it makes.
fresh_hall
started=$(date +%s%N)
out=$("$driver" "$hall" import "$source") || { echo "the import does not run through"; exit 1; }
import_ms=$((($(date +%s%N) - started) / 1000000 + 1))
renames=${out#renames: }

failed=0
declare -A outcomes
for ((run = 0; run < runs; run++)); do
    if ((run % 2 == 0)); then
        delay=$(((RANDOM * 32768 + RANDOM) % import_ms + 1))
        how="killed after ${delay} ms"
        kill_run "$delay" import "$source"
    else
        rename=$(((RANDOM * 32768 + RANDOM) % renames + 1))
        how="killed at rename $rename of $renames"
        fresh_hall
        { "$driver" "$hall" import "$source" "$rename"; } >/dev/null 2>&1
    fi
    problems=$(damaged_tables)
    out=$("$driver" "$hall" check "$kill_runs_scratch" 2>&1) || problems+=" [next start: ${out//$'\n'/; }]"
    if [[ -n $problems ]]; then
        failed=$((failed + 1))
        echo "run $run ($how):$problems"
    else
        outcomes[$out]=$((${outcomes[$out]:-0} + 1))
    fi
done
figures=""
for outcome in "${!outcomes[@]}"; do
    figures+=", ${outcomes[$outcome]} $outcome"
done
echo "import crash test: $runs runs (an import: ${import_ms} ms, $renames renames), $failed failed$figures"
[[ $failed -eq 0 ]]
