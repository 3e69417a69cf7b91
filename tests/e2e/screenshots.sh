#!/usr/bin/env bash
# Screenshots and the command line in the running game: started with a start level and an option the
# game does not know, it logs both parameters and goes on; with the debug keys on (Ctrl+Alt+D), F11
# saves the screen as image1.png, then image2.png, in the "_screenshots" folder of the user data. The
# two pictures are copied beside the tests ("screenshot1.png", "screenshot2.png") to be looked at.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

shots="$XDG_DATA_HOME/Tarvel Studio/Quendara/_screenshots"
"$1" set_start_level=level012 -foo 2> "$work/run.log" &
pids+=($!)
wait_for_window "Quendara v.1.3" > /dev/null || fail "no window"
grep -q 'theParamName = "set_start_level", theParamValue = "level012"' "$work/run.log" ||
    fail "the start level was not logged: $(cat "$work/run.log")"
grep -q 'theParamName = "-foo", theParamValue = ""' "$work/run.log" || fail "-foo was not logged"

# Keys go to the window under the pointer.
xdotool mousemove 512 384 click 1
xdotool key ctrl+alt+d F11
for _ in $(seq 100); do
    [ -s "$shots/image1.png" ] && break
    sleep 0.1
done
[ -s "$shots/image1.png" ] || fail "F11 saved no screenshot: $(tail -n 20 "$work/run.log")"
sleep 1
xdotool key F11
for _ in $(seq 50); do
    [ -s "$shots/image2.png" ] && break
    sleep 0.1
done
[ -s "$shots/image2.png" ] || fail "the second screenshot is not image2.png: $(ls "$shots")"
[ "$(ls "$shots")" = "$(printf 'image1.png\nimage2.png')" ] || fail "unexpected files: $(ls "$shots")"
for n in 1 2; do
    [ "$(identify -format '%w %h' "$shots/image$n.png")" = "800 600" ] || fail "image$n.png is not 800 x 600"
    cp "$shots/image$n.png" "$3/tests/screenshot$n.png"
done

kill -TERM "${pids[0]}"
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status: $(tail -n 40 "$work/run.log")"
