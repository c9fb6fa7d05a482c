#!/usr/bin/env bash
# The crash test: runs the program's edits (save, insert, track, style in turn) in a hall
# folder, kills the program with SIGKILL at a random moment, checks every table with
# `recdb check`, then starts the program again and has it check what it finds (the show
# before or after the edit, numbered without gaps, no temporary file left, ss.dat old or
# new). Prints a line per failed run and the figures at the end; non-zero on any failure.
#
# usage: crash_test.sh BUILD_DIR RUNS [MAX_DELAY_MS]
set -uo pipefail
# shellcheck source=tests/app/kill_runs.sh
source "$(dirname "$0")/kill_runs.sh"
runs=$2
max_delay=${3:-400}
kill_runs_setup "$1" app_crash_driver

edits=(save insert track style)
failed=0
leftovers=0
for ((run = 0; run < runs; run++)); do
    edit=${edits[run % 4]}
    delay=$((RANDOM % max_delay + 1))
    kill_run "$delay" "$edit"
    if compgen -G "$hall/.*.dat.??????" >/dev/null || compgen -G "$hall/lb/.*.dat.??????" >/dev/null; then
        leftovers=$((leftovers + 1))
    fi
    problems=$(damaged_tables)
    out=$("$driver" "$hall" check "$edit" 2>&1) || problems+=" [next start: ${out//$'\n'/; }]"
    if [[ -n $problems ]]; then
        failed=$((failed + 1))
        echo "run $run ($edit, killed after ${delay} ms):$problems"
    fi
done
echo "crash test: $runs runs, $failed failed, $leftovers left temporary files (all removed by the next start)"
[[ $failed -eq 0 ]]
