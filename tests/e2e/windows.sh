#!/usr/bin/env bash
# The game's windows in the real program under X over the main menu, driven by the harness: the new
# player's profile that the menu asks for first, the continue window with its new-game question answered
# no and then continued, the options window with its effects
# volume dragged (the sample once, on release) opening again at the new value, the pause window's main
# menu, the profile message, the people-bonus window, and the cursors: the pointer's tip on the mouse
# above a window's dim and above a fade, the bonus cursors centred on the mouse. The screenshots are left in the build's
# tests folder as windows_*.png to be looked at.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

cat > "$work/script.txt" <<'SCRIPT'
until visible 190; type ann; key Return; until nowindow
move 795 595
show continue; until visible 202; wait 25; shot windows_continue.png
click 400 397; until visible 201; wait 25; shot windows_continue_confirm.png
click 400 392; until visible 202; wait 5
report
key Return; until nowindow
report
show options; until visible 200; wait 25; shot windows_options.png
drag 474 276 380 276 5; wait 2; key Escape; until nowindow
report
show options; until visible 200; wait 5; shot windows_options_again.png
click 400 494; until nowindow
report
show pause; until visible 203; wait 25; shot windows_pause.png
click 400 415; until nowindow
report
show inform; until visible 300; wait 25; shot windows_inform.png
key Escape; until nowindow
report
move 795 595; wait 2; show people; until visible 222; wait 25; shot windows_people.png
key Return; until nowindow
report
show confirm; until visible 201; move 500 250; wait 5; shot windows_pointer.png
key Escape; until nowindow
move 300 200; fade; shot windows_fade.png
cursor destroy; move 400 300; wait 2; shot windows_destroy.png
cursor bomb; wait 2; shot windows_bomb.png
cursor hamer; wait 2; shot windows_hamer.png
cursor pointer; move 795 595; wait 2
SCRIPT

"$3/tests/quendara_harness" --state MenuScreen --data "$3" --out "$work" --script "$work/script.txt" \
    > "$work/out.txt" 2> "$work/run.log" ||
    fail "the harness failed: $(cat "$work/out.txt") $(tail -n 20 "$work/run.log")"
report() {
    sed -n "/^report/,\$p" "$work/out.txt" | awk -v n="$1" '/^report/ { count++ } count == n'
}
expect() {
    report "$1" | grep -qxF "$2" || fail "report $1 lacks \"$2\": $(report "$1")"
}
expect 1 "closed 201 ConfirmWindow result=0"
expect 1 "window 202 ContinueWindow result=none modal=1 visible=1"
expect 2 "closed 202 ContinueWindow result=2"
expect 3 "closed 200 OptionsWindow result=0"
expect 3 "screen window"
# On a 3D display the window also plays its disappear effect, and with it the hide sound.
report 3 | grep -qxE "sounds SOUND_SHOW_WINDOW SOUND_SFX_SLIDER( SOUND_HIDE_WINDOW)?" ||
    fail "report 3 lacks the window's and the slider's sounds: $(report 3)"
expect 4 "closed 200 OptionsWindow result=0"
expect 5 "closed 203 PauseWindow result=1"
expect 6 "closed 300 InformWindow result=0"
expect 7 "closed 222 PeopleBonusWindow result=0"
report 7 | grep -qxE "sounds SOUND_PEOPLE_BONUS_APPEAR( SOUND_HIDE_HINT_WINDOW)?" ||
    fail "report 7 lacks the people window's sound: $(report 7)"
expect 7 "state MenuScreen"

for shot in continue continue_confirm options options_again pause inform people pointer fade destroy bomb hamer; do
    [ -s "$work/windows_$shot.png" ] || fail "no windows_$shot.png"
    cp "$work/windows_$shot.png" "$3/tests/windows_$shot.png"
done

# "r g b" of a pixel of a screenshot.
pixel() {
    convert "$work/$1" -crop "1x1+$2+$3" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
}
light() {
    read -r r g b <<< "$(pixel "$@")"
    [ "$r" -gt 215 ] && [ "$g" -gt 205 ] && [ "$b" -gt 180 ]
}
# The pointer's arrow below and right of its tip at the mouse, over the dimmed screen and the window,
# and over the black of a fade's start; nothing of it above or left of the tip.
for case in "windows_pointer.png 500 250" "windows_fade.png 300 200"; do
    read -r shot x y <<< "$case"
    light "$shot" $((x + 4)) $((y + 10)) || fail "$shot: no arrow below the mouse ($(pixel "$shot" $((x + 4)) $((y + 10))))"
    ! light "$shot" $((x - 3)) $((y - 3)) || fail "$shot: the pointer reaches above the mouse"
done
read -r r g b <<< "$(pixel windows_fade.png 100 500)"
[ "$r" -lt 30 ] && [ "$g" -lt 30 ] && [ "$b" -lt 30 ] || fail "the fade had not begun black: $r $g $b"
# The destroy cursor's red ring, 19 pixels about the mouse in all four directions.
for offset in "19 0" "-19 0" "0 19" "0 -19"; do
    read -r dx dy <<< "$offset"
    read -r r g b <<< "$(pixel windows_destroy.png $((400 + dx)) $((300 + dy)))"
    [ "$r" -gt 200 ] && [ "$g" -lt 120 ] || fail "the destroy cursor's ring is not at $dx,$dy from the mouse: $r $g $b"
done
