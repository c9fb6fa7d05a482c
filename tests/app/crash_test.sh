#!/usr/bin/env bash
# The crash test: runs the program's edits (save, insert, track, style, lastshow, loudness in
# turn, or the ones given) in a hall folder, kills the program with SIGKILL at a random moment,
# checks every table with `recdb check`, then starts the program again and has it check what
# it finds (the show before or after the edit, numbered without gaps, no temporary file left,
# ss.dat, loudness.ini and lastshow.ini old or new). Prints a line per failed run and the
# figures at the end; non-zero on any failure.
#
# usage: crash_test.sh BUILD_DIR RUNS [MAX_DELAY_MS [EDIT...]]
#   e.g. crash_test.sh build 100 400 lastshow    100 kills while the last show is remembered
set -uo pipefail
# shellcheck source=tests/app/kill_runs.sh
source "$(dirname "$0")/kill_runs.sh"
runs=$2
max_delay=${3:-400}
edits=("${@:4}")
[[ ${#edits[@]} -gt 0 ]] || edits=(save insert track style lastshow loudness)
kill_runs_setup "$1" app_crash_driver

failed=0
leftovers=0
for ((run = 0; run < runs; run++)); do
    edit=${edits[run % ${#edits[@]}]}
    delay=$((RANDOM % max_delay + 1))
    kill_run "$delay" "$edit"
    for pattern in "$hall"/.*.{dat,ini,log}.?????? "$hall"/lb/.*.dat.??????; do
        if [[ -e $pattern ]]; then
            leftovers=$((leftovers + 1))
            break
        fi
    done
    problems=$(damaged_tables)
    out=$("$driver" "$hall" check "$edit" 2>&1) || problems+=" [next start: ${out//$'\n'/; }]"
    if [[ -n $problems ]]; then
        failed=$((failed + 1))
        echo "run $run ($edit, killed after ${delay} ms):$problems"
    fi
done
echo "crash test: $runs runs (${edits[*]}), $failed failed, $leftovers left temporary files (all removed by the next start)"
[[ $failed -eq 0 ]]
