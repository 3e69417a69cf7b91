#!/usr/bin/env bash
# Under a file-size limit of 0 (ulimit -f 0) every write of the game fails as on a full disk: the game
# starts, and the quit request (SIGTERM) ends it with exit code 0; the settings store and the profile
# keep what they held, and the failed writes are logged.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
program=$1
make_workspace

place_example_profile "$2"
cp "$store" "$work/store.before"

# The log goes through a pipe, which the limit does not cover.
mkfifo "$work/log.pipe"
cat "$work/log.pipe" > "$work/game.log" &
reader=$!
(
    ulimit -f 0
    exec "$program"
) 2> "$work/log.pipe" &
pid=$!
pids+=("$pid")
wait_for_window "Quendara v.1.3" > /dev/null || fail "no window"
# The profile opens once the loading is done; then its save at exit is one more write that fails.
for _ in $(seq 600); do
    grep -qF "Profile: slot 2 open at start" "$work/game.log" && break
    sleep 0.1
done
kill -TERM "$pid"
status=0
wait_for_exit "$pid" || status=$?
wait "$reader"
[ "$status" = 0 ] || fail "exit code $status after the quit request"
cmp -s "$store" "$work/store.before" || fail "the settings store changed: $(cat "$store")"
cmp -s "$fixture" "$profiles/slot2.profile" || fail "slot 2 changed"
[ "$(ls "$profiles")" = slot2.profile ] || fail "the profiles folder holds $(ls "$profiles")"
grep -qF "Quendara.registry' cannot be written (File too large)" "$work/game.log" ||
    fail "the failed settings write is not logged: $(cat "$work/game.log")"
grep -qF "Profile: could not save slot 2" "$work/game.log" || fail "the failed profile save is not logged"
