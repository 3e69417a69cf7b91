#!/usr/bin/env bash
# The game's first start as a new player meets it, in the real program under X driven by xdotool, from
# an empty user-data folder, with the debug keys switched on in a patch archive (other.pak: the game's
# settings with "cheat_keys" set). The title gives way to the menu over the town, and the new-profile
# window asks for a name: "ann" and Enter make slot 0's file (944 bytes) and the welcome line greets
# "ANN". Start opens level 1 and its rules 1.5 s in; a few chains are played, picked from the colours on
# the screen; Esc pauses and Continue resumes; the keypad's plus fills the level; the tally is passed;
# on the town upgrade q, w and e add to the totals and the first slot's building is bought; Enter goes
# on to level 2. Esc and Main Menu go back to the menu, where Start offers to continue, and Continue
# resumes level 2; back in the menu, the options show their sliders, full screen is unchecked (the game
# becomes an 800 x 600 window) and Back closes them; F1 shows the help's pages; Exit ends the program
# with exit code 0. A restart opens ANN's profile and Start offers the saved level. The screenshots are
# left in the build's tests folder as first_*.png.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace
shots=$3/tests
rm -f "$shots"/first_*.png

mkdir -p "$work/program" "$work/patch"
cp "$1" "$3/main.pak" "$3/config.xml" "$work/program/"
add_cheat_keys "$work/patch" "$3"
"$3/tools/pak" create "$work/program/other.pak" "$work/patch" > /dev/null
profiles="$XDG_DATA_HOME/Tarvel Studio/Quendara/profiles"

# "r,g,b" of the game's pixel (x, y), read from the game's window, full screen or not.
game_pixel() {
    import -window "$window" "$work/window.png"
    convert "$work/window.png" -scale '800x600!' -crop "1x1+$1+$2" \
        -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:
}

# Waits up to 60 seconds for the splashes to give way to the picture behind the menu: its sky at the top.
wait_for_menu() {
    for _ in $(seq 300); do
        [ "$(game_pixel 400 4)" != "0,0,0" ] && return 0
        sleep 0.2
    done
    fail "the splashes did not end"
}

# What the game shows at a point, told by its colour: "town" (the town's grass), "board" (the board's dark
# slate), "window" (a window's or the upgrade panel's walnut) or "other".
look() {
    local r g b
    IFS=, read -r r g b <<< "$(game_pixel "$1" "$2")"
    if [ "$g" -gt 150 ] && [ "$g" -gt "$r" ] && [ "$g" -gt "$b" ]; then
        echo town
    elif [ $((r + g + b)) -lt 130 ] && [ "$b" -ge "$r" ]; then
        echo board
    elif [ "$r" -gt "$g" ] && [ "$g" -gt "$b" ] && [ "$r" -lt 130 ]; then
        echo window
    else
        echo other
    fi
}

# Waits up to 30 seconds (a loaded machine draws slowly) for the look at the point; the step's name goes
# into the failure.
wait_for_look() {
    for _ in $(seq 120); do
        [ "$(look "$1" "$2")" = "$3" ] && return 0
        sleep 0.25
    done
    shot failed
    fail "$4: no $3 at ($1, $2) but $(look "$1" "$2"); the screen is in first_failed.png"
}

# The screens and windows, each by a point only it colours so: the board's slate above the bricks, where
# the pause, continue and tally windows have their walnut frame; the help's walnut by its left edge, the
# options' by theirs; the town's grass in the middle; the upgrade panel's walnut at its foot.
on_board() {
    wait_for_look 400 100 board "$1"
}
in_window() {
    wait_for_look 400 100 window "$1"
}
in_help() {
    wait_for_look 90 300 window "$1"
}
in_options() {
    wait_for_look 230 300 window "$1"
}
over_town() {
    wait_for_look 400 250 town "$1"
}
# Escape pauses a level only once it takes commands, which on a loaded machine may be a while after its
# board first shows: Escape is given again while no pause window has come within four seconds (a second
# Escape would close one that came late).
pause_level() {
    local until
    for _ in $(seq 8); do
        key Escape
        until=$((SECONDS + 4))
        while [ "$SECONDS" -lt "$until" ]; do
            [ "$(look 400 100)" = window ] && return 0
            sleep 0.25
        done
    done
    shot failed
    fail "$1: no pause window after Escape; the screen is in first_failed.png"
}
on_upgrade() {
    over_town "$1"
    wait_for_look 60 560 window "$1"
}

# The game's own pointer, moved to a point of the dark board or the green town: the light pixels of its
# arrow, which grows down and right from the tip, fill part of the box below-right of the point.
# A loaded machine may take a while to draw the pointer at its new place.
pointer_shown() {
    point "$1" "$2"
    local count
    for _ in $(seq 20); do
        sleep 0.3
        import -window "$window" "$work/window.png"
        count=$(convert "$work/window.png" -scale '800x600!' -crop "16x24+$1+$2" +repage \
            -fx '(r>0.85 && g>0.8 && b>0.72) ? 1 : 0' -format '%[fx:round(mean*w*h)]' info:)
        [ "$count" -ge 20 ] && return 0
    done
    shot failed
    fail "$3: no pointer at ($1, $2), $count light pixels; the screen is in first_failed.png"
}

shot() {
    import -window root "$shots/first_$1.png"
}

# Waits up to 60 seconds for a line of the log to start with the text.
wait_for_line() {
    for _ in $(seq 600); do
        grep -q "^$2" "$1" && return 0
        sleep 0.1
    done
    fail "no line '$2' in $1: $(cat "$1")"
}

# The game's window's place and size, as X, Y, WIDTH and HEIGHT; a window gone ends the test with the
# game's last words.
window_geometry() {
    local geometry
    geometry=$(xdotool getwindowgeometry --shell "$window" 2> /dev/null) ||
        fail "the game's window is gone: $(tail -n 40 "$work"/*.log)"
    eval "$geometry"
}

# The game's 800 x 600 picture fills its window, full screen or not: game coordinates are scaled to the
# window's size.
to_window() {
    window_geometry
    echo "$(($1 * WIDTH / 800)) $(($2 * HEIGHT / 600))"
}
point() {
    local at
    at=$(to_window "$1" "$2")
    # shellcheck disable=SC2086
    xdotool mousemove --window "$window" $at
}
click() {
    point "$1" "$2"
    sleep 0.2
    xdotool click 1
}
key() {
    xdotool key --window "$window" "$@"
}

# The board as rows of two characters a slot, read from the colours of the cells' middles on the screen
# (cell (x, y) of the 16 x 12 grid at (112 + 36x, 70 + 36y)): 'r' red, 'b' blue, 'g' gold, '.' dark.
board_rows() {
    point 760 560
    sleep 0.3
    import -window "$window" "$work/board.png"
    convert "$work/board.png" -scale '800x600!' -crop 576x432+112+70 +repage -scale '16x12!' txt:- |
        awk -F'[(),: ]+' 'NR > 1 {
            r = $3; g = $4; b = $5
            c = r + g + b < 200 ? "." : b > r ? "b" : g > 0.7 * r ? "g" : "r"
            row[$2] = row[$2] c " "
        }
        END { for (y = 0; y < 12; y++) print row[y] }'
}

# Drags the chain of "x y" cells: pressed on the first cell's middle, moved a little within it (the
# pressed brick joins at a move over it), moved through the others, released.
drag_chain() {
    local x y first=1
    while read -r x y; do
        point $((130 + 36 * x)) $((88 + 36 * y))
        if [ "$first" = 1 ]; then
            xdotool mousedown 1
            sleep 0.15
            point $((133 + 36 * x)) $((88 + 36 * y))
            first=0
        fi
        sleep 0.15
    done <<< "$1"
    xdotool mouseup 1
}

# First start: the title, then the menu over the town with the new-profile window.
(cd "$work/program" && exec ./quendara) 2> "$work/first.log" &
pids+=($!)
window=$(wait_for_window "Quendara v.1.3") || fail "no window"
sleep 0.5
shot 01_title
wait_for_line "$work/first.log" "Profile: none open at start"
wait_for_menu
sleep 3
shot 02_new_profile
point 400 300
sleep 0.5
shot 03_new_profile_pointer
xdotool type --delay 150 ann
sleep 0.5
shot 04_name
key Return
sleep 2
[ "$(stat -c %s "$profiles/slot0.profile")" = 944 ] || fail "slot 0: $(ls -l "$profiles")"
shot 05_menu_ann

# Start: level 1, the rules 1.5 s in.
click 671 526
in_help "the rules"
sleep 1
shot 06_rules
key Escape
on_board "level 1"
sleep 1
pointer_shown 400 100 "level 1"
shot 07_level1
# Three short chains, which leave the level to the debug key; a chain that bursts changes the board. On
# a loaded machine the bricks of the last chain may still be falling and take no part: that try counts
# for nothing and the next is picked from the board as it then is.
rows=$(board_rows)
bursts=0
for _ in $(seq 8); do
    cells=$(pick_chain 3 <<< "$rows")
    [ -n "$cells" ] || fail "no chain on the screen's board: $rows"
    drag_chain "$cells"
    sleep 2
    before=$rows
    rows=$(board_rows)
    [ "$rows" != "$before" ] && bursts=$((bursts + 1))
    [ "$bursts" = 3 ] && break
done
[ "$bursts" = 3 ] || fail "$bursts of the chains burst in 8 tries: $rows"
shot 08_chains
pause_level "the pause"
sleep 0.5
shot 09_pause
click 400 362
on_board "the resumed level"
sleep 1
shot 10_resumed
for _ in $(seq 12); do
    key KP_Add
    sleep 0.2
done
sleep 1
shot 11_complete
# On the tally the first Enter ends its count and the second closes it; an Enter is given only while the
# tally shows, so that none reaches the next screen (a count already over takes one, an Enter during
# the window's appearing none).
in_window "the tally"
sleep 0.5
shot 12_tally
for _ in $(seq 5); do
    [ "$(look 400 100)" = window ] || break
    key Return
    sleep 1
done
on_upgrade "the town upgrade"
sleep 2
shot 13_upgrade
# q: the first slot's cottages cost 20 gold, which three short chains may fall short of.
xdotool type --delay 150 qwe
sleep 1
shot 14_upgrade_totals
click 56 509
# The purchase sends the panels away while the building falls into place.
wait_for_look 60 560 other "the purchase"
shot 15_buying
sleep 3
shot 16_bought
key Return
on_board "level 2"
sleep 1
shot 17_level2

# Back to the menu, where Start offers to continue level 2.
pause_level "the pause on level 2"
click 400 410
over_town "the menu"
sleep 1.5
shot 18_menu
click 671 526
in_window "the continue window"
sleep 0.5
shot 19_continue_window
click 400 344
on_board "level 2 continued"
sleep 1.5
shot 20_level2_again
pause_level "the pause on level 2 continued"
click 400 410
over_town "the menu again"
sleep 1.5

# The options: the sliders, full screen unchecked and Back (the game becomes an 800 x 600 window).
click 547 538
in_options "the options"
sleep 0.5
shot 21_options
click 512 397
sleep 1
shot 22_unchecked
click 400 489
for _ in $(seq 50); do
    window_geometry
    [ "$WIDTH" = 800 ] && [ "$HEIGHT" = 600 ] && break
    sleep 0.2
done
[ "$WIDTH" = 800 ] && [ "$HEIGHT" = 600 ] || fail "the window is ${WIDTH}x${HEIGHT} after full screen was unchecked"
sleep 2
pointer_shown 400 250 "the menu in a window"
shot 23_menu_windowed

# F1: the help and its pages.
key F1
in_help "the help"
sleep 0.5
shot 24_help
click 570 512
sleep 0.8
shot 25_help_page2
click 570 512
sleep 0.8
shot 26_help_page3
key Escape
sleep 1

# Exit.
click 669 572
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status after Exit: $(tail -n 20 "$work/first.log")"
[ "$(stored_value ScreenMode)" = 00000000 ] || fail "the window mode was not kept: $(stored_value ScreenMode)"

# A restart opens ANN and offers the saved level.
(cd "$work/program" && exec ./quendara) 2> "$work/second.log" &
pids+=($!)
window=$(wait_for_window "Quendara v.1.3") || fail "no window on the restart"
wait_for_line "$work/second.log" "Profile: slot 0 open at start"
wait_for_menu
sleep 3
shot 27_restart_menu
click 671 526
in_window "the continue window on the restart"
sleep 0.5
shot 28_restart_continue
kill -TERM "${pids[1]}"
status=0
wait_for_exit "${pids[1]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status after the quit request: $(tail -n 20 "$work/second.log")"
