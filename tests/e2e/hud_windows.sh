#!/usr/bin/env bash
# The heads-up panels and the tally, help and hint windows in the real program under X, on the harness's
# "Windows" screen: the top panel counting and the progress bar half full with its particle line, the
# tally while counting and when done, the three help pages with and without the links, and a hint bubble
# pointing into each quarter of the screen. The screenshots are left in the build's tests folder as
# hud_*.png, tally_*.png, help_*.png and bubble_*.png to be looked at.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

cat > "$work/script.txt" <<'SCRIPT'
type gp
wait 20; shot hud_counting.png
wait 160; shot hud_half.png
type t
until visible 205; wait 120; shot tally_counting.png
wait 200; shot tally_done.png
key Return; until nowindow
report
type h
until visible 204; wait 5; shot help_page1.png
click 570 518; wait 5; shot help_page2.png
click 570 518; wait 5; shot help_page3.png
key Escape; until nowindow
type l
type h
until visible 204; click 570 518; wait 1; click 570 518; wait 5; shot help_page3_nolinks.png
key Escape; until nowindow
report
type b
until visible 211; wait 60; shot bubble_1.png; key Return; until nowindow
type b
until visible 211; wait 60; shot bubble_2.png; key Return; until nowindow
type b
until visible 211; wait 60; shot bubble_3.png; key Return; until nowindow
type b
until visible 211; wait 60; shot bubble_4.png; key Return; until nowindow
report
SCRIPT

"$3/tests/quendara_harness" --state Windows --data "$3" --out "$work" --script "$work/script.txt" > "$work/out.txt" \
    2> "$work/run.log" || fail "the harness failed: $(cat "$work/out.txt") $(tail -n 20 "$work/run.log")"
report() {
    sed -n "/^report/,\$p" "$work/out.txt" | awk -v n="$1" '/^report/ { count++ } count == n'
}
expect() {
    report "$1" | grep -qxF "$2" || fail "report $1 lacks \"$2\": $(report "$1")"
}
expect 1 "closed 205 LevelCompleteWindow result=0"
expect 2 "closed 204 HelpWindow result=0"
[ "$(report 3 | grep -c '^closed 211 HintWindow result=0$')" = 4 ] || fail "not four bubbles closed: $(report 3)"
for shot in hud_counting hud_half tally_counting tally_done help_page1 help_page2 help_page3 help_page3_nolinks \
    bubble_1 bubble_2 bubble_3 bubble_4; do
    [ -s "$work/$shot.png" ] || fail "no $shot.png"
    cp "$work/$shot.png" "$3/tests/$shot.png"
done
