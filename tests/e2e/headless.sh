#!/usr/bin/env bash
# Without any display (SDL's dummy driver) the game starts, keeps its settings and ends cleanly on
# SIGTERM; nothing waits for a person.
set -euo pipefail
source "$2/tests/e2e/common.bash"
program=$1
make_workspace
export SDL_VIDEODRIVER=dummy

"$program" 2> "$work/run.log" &
pids+=($!)
for _ in $(seq 100); do
    [ "$(stored_value InProgress 2>/dev/null)" = 01000000 ] && break
    sleep 0.1
done
[ "$(stored_value InProgress)" = 01000000 ] || fail "never started: $(cat "$work/run.log")"
kill -TERM "${pids[0]}"
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status"
[ "$(stored_value InProgress)" = 00000000 ] || fail "InProgress left set"
grep -q "^Seconds       = " "$work/run.log" || fail "no statistics: $(cat "$work/run.log")"
