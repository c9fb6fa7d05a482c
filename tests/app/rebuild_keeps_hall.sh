#!/usr/bin/env bash
# A rebuild never touches the operator's data: seeds the default hall folder by starting the
# program, edits it as an operator would, touches sources, rebuilds, starts the program
# again and checks that the hall folder holds the same files with the same bytes.
#
# usage: rebuild_keeps_hall.sh BUILD_DIR SOURCE_DIR [SOURCE_FILE...] [-- BUILD_TARGET...]
# Without source files it touches the sources of the shipped defaults; without targets it
# builds the whole tree.
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
shift 2
touched=()
targets=()
while [[ $# -gt 0 && $1 != -- ]]; do touched+=("$1"); shift; done
[[ $# -gt 0 ]] && shift
targets=("$@")
[[ ${#touched[@]} -gt 0 ]] || touched=(data/styles.txt program/dist/ss.ini)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME=$scratch/data
unset DANCEHALL_DATA
hall=$XDG_DATA_HOME/dancehall

# Starts the program until it holds its hall (the lock is taken after seeding), then stops it.
start_program() {
    QT_QPA_PLATFORM=offscreen "$build/dist/dancehall" >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 100); do
        if [[ -e $hall/.dancehall.lock ]] && ! flock -n "$hall/.dancehall.lock" true; then
            break
        fi
        sleep 0.1
    done
    # The first start ends by making the remote's PIN file; a kill before it would leave that
    # to the second start, which is the test's doing, not the build's.
    for _ in $(seq 100); do
        [[ -e $hall/remote.ini ]] && break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# The kill can land in start-up's copy of the first show and leave its temporary file, which
# the next start removes: that is the test's own doing, not the build's, so it is left out.
# So are the evening log and the loudness store's shared-memory and journal files, which every
# start of the program writes to.
snapshot() {
    (cd "$hall" && find . -type f ! -name '.*.??????' ! -name evening.log \
        ! -name 'loudness.db-shm' ! -name 'loudness.db-wal' -print0 | sort -z | xargs -0 sha256sum)
}

start_program
[[ -f $hall/qfsz.dat && -f $hall/ss.dat ]] || { echo "the hall folder was not seeded"; exit 1; }
cp "$hall/dqqf.dat" "$hall/lb/周六.dat"
printf '[慢四]\r\n音量=60\r\n' >>"$hall/ss.dat"
before=$(snapshot)

for file in "${touched[@]}"; do touch "$source/$file"; done
if [[ ${#targets[@]} -gt 0 ]]; then
    cmake --build "$build" --target "${targets[@]}" >/dev/null
else
    cmake --build "$build" >/dev/null
fi
start_program
after=$(snapshot)

if [[ $before != "$after" ]]; then
    echo "the hall folder changed:"
    diff <(echo "$before") <(echo "$after") || true
    exit 1
fi
echo "hall folder unchanged after touching ${touched[*]} and rebuilding"
