# shellcheck shell=bash
# Sourced by the crash tests, not run: a hall folder seeded once by the test's driver, then for
# each run a fresh copy of it in which the driver is killed with SIGKILL after a delay, and the
# check of the tables it left.
#
#   kill_runs_setup BUILD_DIR DRIVER   sets $driver, $recdb and $hall; seeds; cleans up at exit
#   kill_run DELAY_MS ARGS...          runs "$driver" "$hall" ARGS... on a fresh copy of the
#                                      seed and kills it after DELAY_MS
#   damaged_tables                     prints " [table: what recdb check found]" for each
#                                      table in $hall that fails the check (ss.dat aside)

kill_runs_setup() {
    local build
    build=$(cd "$1" && pwd)
    driver=$build/tests/app/$2
    recdb=$build/tools/recdb/recdb
    kill_runs_scratch=$(mktemp -d)
    trap 'rm -rf "$kill_runs_scratch"' EXIT
    hall=$kill_runs_scratch/run
    "$driver" "$kill_runs_scratch/seed" seed || { echo "cannot seed a hall folder"; exit 1; }
}

kill_run() {
    local delay=$1
    shift
    rm -rf "$hall"
    cp -a "$kill_runs_scratch/seed" "$hall"
    "$driver" "$hall" "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

damaged_tables() {
    local table out
    while IFS= read -r -d '' table; do
        out=$("$recdb" check "$table") || printf ' [%s: %s]' "$(basename "$table")" "$out"
    done < <(find "$hall" -maxdepth 2 -name '*.dat' ! -name ss.dat ! -name '.*' -print0)
}
