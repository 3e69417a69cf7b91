#!/usr/bin/env bash
# The game as a new user starts it: full screen at first, its 800 x 600 picture scaled over the whole
# desktop, under the title "Quendara v.1.3", running and drawing; the desktop's quit request ends it
# with exit code 0 and the settings written back. Set to a window, it opens an 800 x 600 window centred
# in the desktop's work area, and Alt+F4 closes it.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
program=$1
make_workspace

# First start: nothing stored, so full screen.
"$program" 2> "$work/first.log" &
pids+=($!)
window=$(wait_for_window "Quendara v.1.3") || fail "no window"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 768 ] || fail "full-screen window is ${WIDTH}x${HEIGHT}"
sleep 1.5
[ "$(stored_value InProgress)" = 01000000 ] || fail "InProgress not set while running"
[ "$(screen_pixel 1020 764)" = "0,0,0" ] || fail "the picture does not cover the screen"
kill -TERM "${pids[0]}"
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status after the quit request"
grep -q "^Update Count  = [1-9]" "$work/first.log" || fail "no updates: $(cat "$work/first.log")"
grep -q "^Draw Count    = [1-9]" "$work/first.log" || fail "nothing drawn: $(cat "$work/first.log")"
expected="MusicVolume=55000000 SfxVolume=55000000 Muted=00000000 ScreenMode=01000000 PreferredX=ffffffff"
expected+=" PreferredY=ffffffff CustomCursors=00000000 InProgress=00000000 WaitForVSync=00000000"
expected+=" MouseSensitivity=64000000"
for pair in $expected; do
    [ "$(stored_value "${pair%%=*}")" = "${pair#*=}" ] || fail "stored ${pair%%=*} is '$(stored_value "${pair%%=*}")'"
done

# Second start in a window: centred, the desktop (white) around it.
sed -i 's/^value ScreenMode 4 01000000$/value ScreenMode 4 00000000/' "$store"
"$program" 2> "$work/second.log" &
pids+=($!)
window=$(wait_for_window "Quendara v.1.3") || fail "no window"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 800 ] && [ "$HEIGHT" = 600 ] || fail "window is ${WIDTH}x${HEIGHT}"
[ "$X" = 112 ] && [ "$Y" = 64 ] || fail "window at $X,$Y, not centred"
sleep 1.5
[ "$(screen_pixel 400 590)" = "0,0,0" ] || fail "no picture in the window"
[ "$(screen_pixel 20 20)" = "255,255,255" ] || fail "the window covers the desktop"
xdotool key --window "$window" alt+F4
status=0
wait_for_exit "${pids[1]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status after Alt+F4"
[ "$(stored_value ScreenMode)" = 00000000 ] || fail "screen mode not kept"
[ "$(stored_value InProgress)" = 00000000 ] || fail "InProgress left set"
