#!/usr/bin/env bash
# The framework's dialog driven by real input under X (the "dialog_showcase" program): a click into its
# edit field and typing with Backspace, Shift+Home, Ctrl+C and Ctrl+V through the desktop's clipboard; a
# click on its checkbox; the slider's thumb dragged past the end of its track; a screenshot written to
# "dialog_showcase.png" in the build's tests folder to be looked at; then OK, which ends the program
# with the answer and the controls' values.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

mkdir -p "$work/program"
cp "$3/tests/dialog_showcase" "$3/main.pak" "$work/program/"
"$work/program/dialog_showcase" > "$work/out.txt" 2> "$work/run.log" &
pids+=($!)
window=$(wait_for_window "Dialog Showcase") || fail "no window: $(cat "$work/run.log")"

# Waits up to 20 seconds for a line the program writes.
wait_for_line() {
    for _ in $(seq 200); do
        grep -qxF "$1" "$work/out.txt" && return 0
        sleep 0.1
    done
    fail "never wrote \"$1\": $(cat "$work/out.txt") $(tail -n 20 "$work/run.log")"
}
# The pointer to a point of the program's 800 x 600 picture.
point_at() {
    xdotool mousemove --window "$window" "$1" "$2"
}

# The dialog, 440 x 316, is centred at (180, 142): its edit field from (336, 242), its slider's track
# from (330, 290) with the thumb in the middle, its checkbox at (330, 336) and OK at (204, 400).
wait_for_line shown
point_at 400 255
xdotool click 1
xdotool type --delay 40 "Nimbus"
xdotool key --delay 40 BackSpace BackSpace
xdotool type --delay 40 "le"
xdotool key --delay 40 shift+Home ctrl+c End space ctrl+v
wait_for_line "text=Nimble Nimble"

point_at 345 351
xdotool click 1
wait_for_line "checkbox=1"

point_at 457 305
xdotool mousedown 1
point_at 560 306
point_at 700 306
xdotool mouseup 1
wait_for_line "slider=1.00"

shot=$3/tests/dialog_showcase.png
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"
pixel() {
    convert "$shot" -crop "1x1+$1+$2" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:
}
tick=$(pixel 345 350)
[ "$(echo "$tick" | cut -d, -f2)" -gt "$(echo "$tick" | cut -d, -f1)" ] || fail "no green tick: $tick"

point_at 300 417
xdotool click 1
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status: $(tail -n 40 "$work/run.log")"
grep -qxF "result=1000 checkbox=1 slider=1.00 text=Nimble Nimble" "$work/out.txt" ||
    fail "wrong answer: $(cat "$work/out.txt")"
