#!/usr/bin/env bash
# A second copy started while one runs tells the first and exits at once with code 0; the first
# goes on running.
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
kill -TERM "${pids[0]}"
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status"
