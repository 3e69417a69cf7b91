#!/usr/bin/env bash
# The game's window furniture in the real program under X, driven by the harness: the gallery state's
# buttons hovered and pressed, the slider dragged, the checkbox clicked, the name typed, a confirmation
# window opened over the dim and answered with a click, then opened with its effects and closed with Esc.
# The screenshots are left in the build's tests folder as gallery_*.png to be looked at.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

cat > "$work/script.txt" <<'SCRIPT'
shot gallery.png
move 160 114; wait 25; shot gallery_hovered.png
press 160 114; wait 2; shot gallery_pressed.png
release 160 114; wait 1
report
drag 682 274 580 274 10
click 748 160
click 200 298; key End; type bo
wait 5; shot gallery_controls.png
report
click 420 180; until visible 201; wait 30; shot gallery_window.png
report
click 400 338; until nowindow
report
effects on
click 420 180; wait 10; shot gallery_effect.png
until visible 201; key Escape; until nowindow
report
SCRIPT

"$3/tests/quendara_harness" --data "$3" --out "$work" --script "$work/script.txt" > "$work/out.txt" 2> "$work/run.log" ||
    fail "the harness failed: $(cat "$work/out.txt") $(tail -n 20 "$work/run.log")"
report() {
    sed -n "/^report/,\$p" "$work/out.txt" | awk -v n="$1" '/^report/ { count++ } count == n'
}
expect() {
    report "$1" | grep -qxF "$2" || fail "report $1 lacks \"$2\": $(report "$1")"
}
expect 1 "state Gallery"
expect 1 "sounds SOUND_BUTTON_ENTER SOUND_BUTTON_DOWN"
expect 2 "focus CustomEdit"
expect 3 "window 201 ConfirmWindow result=none modal=1 visible=1"
expect 3 "focus ConfirmWindow"
expect 4 "closed 201 ConfirmWindow result=1"
expect 4 "focus CustomEdit"
expect 5 "closed 201 ConfirmWindow result=0"
expect 5 "sounds SOUND_BUTTON_ENTER SOUND_BUTTON_DOWN SOUND_SHOW_WINDOW SOUND_HIDE_WINDOW"
for shot in gallery gallery_hovered gallery_pressed gallery_controls gallery_window gallery_effect; do
    [ -s "$work/$shot.png" ] || fail "no $shot.png"
    cp "$work/$shot.png" "$3/tests/$shot.png"
done
