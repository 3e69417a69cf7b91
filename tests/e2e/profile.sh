#!/usr/bin/env bash
# The player's profile across runs: with the example profile in slot 2 and the setting "UserProfile" at
# 2, the game opens slot 2 at start; the desktop's quit request (SIGTERM) ends it with exit code 0, the
# slot written again through a new file with the same bytes and the setting still 2; the next start
# opens slot 2 again.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
program=$1
make_workspace

place_example_profile "$2"

# Waits up to 60 seconds for the log to hold the line.
wait_for_line() {
    for _ in $(seq 600); do
        grep -qxF "$2" "$1" && return 0
        sleep 0.1
    done
    fail "no line '$2' in $1: $(cat "$1")"
}

for run in first second; do
    before=$(stat -c %i "$profiles/slot2.profile")
    "$program" 2> "$work/$run.log" &
    pid=$!
    pids+=("$pid")
    wait_for_line "$work/$run.log" $'Profile: slot 2 open at start\r'
    kill -TERM "$pid"
    status=0
    wait_for_exit "$pid" || status=$?
    [ "$status" = 0 ] || fail "$run run: exit code $status after the quit request"
    [ "$(stat -c %i "$profiles/slot2.profile")" != "$before" ] || fail "$run run: slot 2 not written again"
    cmp -s "$fixture" "$profiles/slot2.profile" || fail "$run run: slot 2 differs from the profile it opened"
    [ "$(stored_value UserProfile)" = 02000000 ] || fail "$run run: stored UserProfile is '$(stored_value UserProfile)'"
    [ "$(ls "$profiles")" = slot2.profile ] || fail "$run run: the profiles folder holds $(ls "$profiles")"
done
