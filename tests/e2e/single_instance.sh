#!/usr/bin/env bash
# A second copy started while one runs tells the first and exits at once with code 0, also when the
# first is frozen; the first goes on running.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
program=$1
make_workspace

"$program" 2> "$work/first.log" &
pids+=($!)
wait_for_window "Quendara v.1.3" > /dev/null || fail "no window"
status=0
timeout 20 "$program" 2> "$work/second.log" || status=$?
[ "$status" = 0 ] || fail "second copy ended with $status"
[ "$(xdotool search --onlyvisible --name '^Quendara v\.1\.3$' | wc -l)" = 1 ] || fail "two windows"
kill -0 "${pids[0]}" || fail "the first copy ended"
! grep -q "Update Count" "$work/second.log" || fail "the second copy ran a main loop"

# While the first copy is frozen nobody takes the notifications: once its queue is full a second copy
# gives up waiting and ends all the same. Twelve tries fill the queue and go past it.
kill -STOP "${pids[0]}"
for try in $(seq 12); do
    status=0
    timeout 20 "$program" 2>> "$work/frozen.log" || status=$?
    [ "$status" = 0 ] || { kill -CONT "${pids[0]}"; fail "second copy $try beside a frozen first ended with $status"; }
done
kill -CONT "${pids[0]}"
kill -TERM "${pids[0]}"
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status"
