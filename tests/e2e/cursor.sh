#!/usr/bin/env bash
# The game's own pointer as a new user meets it, in full screen and in a window: once the game has
# loaded, the pointer's tip sits on the mouse (its arrow grows down and right from there, nothing of it
# above or left of the tip), and when the mouse leaves the window the pointer leaves the picture.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
program=$1
make_workspace

# The number of light pixels (the arrow's white and cream) in the w x h box at (x, y) of the screen.
light_pixels() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$3x$4+$1+$2" +repage -fx '(r>0.85 && g>0.8 && b>0.72) ? 1 : 0' \
        -format '%[fx:round(mean*w*h)]' info:
}

# Moves the mouse to the screen point and waits up to 30 seconds (the title screen first) for the arrow
# to show below and right of it: light pixels in the box from 2 to 10 pixels right and 8 to 18 down,
# scaled by the picture's scale in percent.
expect_pointer_at() {
    local x=$1 y=$2 scale=$3
    for _ in $(seq 60); do
        xdotool mousemove "$x" "$y"
        sleep 0.5
        if [ "$(light_pixels $((x + 2 * scale / 100)) $((y + 8 * scale / 100)) $((8 * scale / 100)) $((10 * scale / 100)))" -gt 8 ] &&
            [ "$(light_pixels $((x - 14)) $((y - 14)) 12 12)" = 0 ]; then
            return 0
        fi
    done
    fail "no pointer grows from the mouse at $x,$y (nothing of it above or left of the tip)"
}

# Full screen (the first start): the 800 x 600 picture scaled to the 1024 x 768 desktop.
"$program" 2> "$work/full.log" &
pids+=($!)
window=$(wait_for_window "Quendara v.1.3") || fail "no window"
expect_pointer_at 400 300 128
expect_pointer_at 700 200 128
kill -TERM "${pids[0]}"
wait_for_exit "${pids[0]}" || fail "the full-screen game did not end cleanly"

# In a window at (112, 64) on the white desktop, over the evening sky above the game's name.
sed -i 's/^value ScreenMode 4 01000000$/value ScreenMode 4 00000000/' "$store"
"$program" 2> "$work/window.log" &
pids+=($!)
window=$(wait_for_window "Quendara v.1.3") || fail "no window"
expect_pointer_at $((112 + 200)) $((64 + 100)) 100
xdotool mousemove 40 40
sleep 1
[ "$(light_pixels $((112 + 200)) $((64 + 100)) 40 40)" = 0 ] || fail "the pointer stayed in the picture after the mouse left"
expect_pointer_at $((112 + 500)) $((64 + 150)) 100
xdotool key --window "$window" alt+F4
wait_for_exit "${pids[1]}" || fail "the windowed game did not end cleanly"
