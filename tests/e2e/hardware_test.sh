#!/usr/bin/env bash
# The 3D hardware test of a first start on the X server's software OpenGL (Mesa's llvmpipe): with the
# shipped "vhwb.dat" beside the program the card is refused with a warning, nothing fails, and the game
# draws in 2D; from a folder without the list the same card passes, and the game draws in 3D. Either
# way the outcome is kept in the registry's "Test3D" key.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

# The text of a REG_SZ value of the "Test3D" key, or nothing.
stored_test_text() {
    local hex
    hex=$(sed -n "/^key Test3D\$/,/^key /s/^value $1 1 \([0-9a-f]*\)\$/\1/p" "$store")
    hex=${hex%00}
    printf '%b' "$(echo "$hex" | sed 's/../\\x&/g')"
}

# Starts the game from the folder on a fresh registry, waits for its test's outcome, and ends it.
first_start() {
    rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
    "$1/quendara" 2> "$work/run.log" &
    pids=($!)
    wait_for_window "Quendara v.1.3" > /dev/null || fail "no window: $(tail -n 20 "$work/run.log")"
    for _ in $(seq 100); do
        grep -q '^value Warning ' "$store" 2> /dev/null && break
        sleep 0.1
    done
    grep -q '^value Warning ' "$store" || fail "no outcome stored: $(tail -n 20 "$work/run.log")"
    kill -TERM "${pids[0]}"
    wait_for_exit "${pids[0]}" || fail "exit code $?: $(tail -n 20 "$work/run.log")"
}

[ -f "$3/vhwb.dat" ] || fail "the build ships no vhwb.dat"
mkdir -p "$work/shipped" "$work/unlisted"
cp "$1" "$3/main.pak" "$3/config.xml" "$3/vhwb.dat" "$work/shipped/"
cp "$1" "$3/main.pak" "$3/config.xml" "$work/unlisted/"

first_start "$work/shipped"
warning=$(stored_test_text Warning)
case "$warning" in
    "Unsupported video card: "*) ;;
    *) fail "the shipped list did not refuse the software card: \"$warning\"" ;;
esac
[ -z "$(stored_test_text FailureReason)" ] || fail "the test failed: $(stored_test_text FailureReason)"

first_start "$work/unlisted"
[ -z "$(stored_test_text Warning)" ] || fail "warning without the list: $(stored_test_text Warning)"
[ -z "$(stored_test_text FailureReason)" ] || fail "the test failed: $(stored_test_text FailureReason)"
