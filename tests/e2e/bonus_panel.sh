#!/usr/bin/env bash
# The bonus panel in the real program under X, driven by the harness as a new player would play, with the
# debug keys switched on in a patch archive (other.pak: the game's settings with "cheat_keys" set, and a
# fixture level of three kinds over the whole board). The keys charge the bomb once and the lightning
# twice, and their hints are read; the bomb is armed from its button, shown over the board with its highlighted block and used; the
# lightning is pressed and its strikes land; then the five tools are given the charges 0.4, 1, 2.5, 3 and
# 0 and the panel is photographed. The screenshots are left in the build's tests folder as bonus_*.png.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

mkdir -p "$work/game" "$work/patch/properties"
cp -r "$2/tests/e2e/bonus_levels/levels" "$work/patch/"
sed 's#</Properties>#    <Boolean id="cheat_keys">true</Boolean>\n</Properties>#' "$3/data/properties/game_sets.xml" \
    > "$work/patch/properties/game_sets.xml"
grep -q cheat_keys "$work/patch/properties/game_sets.xml" || fail "the settings have no end tag to add the key before"
"$3/tools/pak" create "$work/game/other.pak" "$work/patch"
ln -s "$3/main.pak" "$work/game/main.pak"
cp "$3/config.xml" "$work/game/config.xml"

# Buttons: hammer (237, 558), bomb (321, 558), lightning (400, 558), mixer (479, 558), destroy (567, 558).
# Cell (x, y) has its centre at (130 + 36x, 88 + 36y).
cat > "$work/script.txt" <<'SCRIPT'
wait 200; shot bonus_empty.png
report
key 2; key 3; key 3; wait 2
report
# A tool's first charge brings its one-time hint, and the player reads it and goes on.
until visible 211; wait 20; shot bonus_hint.png; key Return
until nowindow; wait 30
move 321 558; click 321 558; wait 2
move 418 232; wait 3; move 420 234; wait 20; shot bonus_bomb_armed.png
report
click 420 234; wait 3
report
wait 150
move 400 558; click 400 558; wait 70; shot bonus_lightning.png
wait 300
report
charges 0.4 1 2.5 3 0; until visible 211; key Return; until nowindow; wait 100; shot bonus_charges.png
report
SCRIPT

# The player has seen the rules (hint kind 4), which would open 1.5 s into the first level, and no other hint.
"$3/tests/quendara_harness" --data "$work/game" --state GameScreen --out "$work" --script "$work/script.txt" \
    --profile "hints=10,0" \
    > "$work/out.txt" 2> "$work/run.log" ||
    fail "the harness failed: $(cat "$work/out.txt") $(tail -n 20 "$work/run.log")"
report() {
    sed -n "/^report/,\$p" "$work/out.txt" | awk -v n="$1" '/^report/ { count++ } count == n'
}
charges() {
    report "$1" | sed -n 's/^charges //p'
}
sounds() {
    report "$1" | sed -n 's/^sounds //p'
}
expect_charges() {
    [ "$(charges "$1")" = "$2" ] || fail "report $1: charges $(charges "$1"), not $2"
}
expect_sound() {
    local count
    count=$(sounds "$1" | tr ' ' '\n' | grep -cx "$2" || true)
    [ "$count" "$3" "$4" ] || fail "report $1 has $count of $2, not $3 $4: $(sounds "$1")"
}
expect_charges 1 "0 0 0 0 0 armed -1"
expect_charges 2 "0 1 2 0 0 armed -1"
# The bomb's button arms it; the click on a brick blows the block and disarms it.
expect_charges 3 "0 1 2 0 0 armed 1"
expect_sound 3 SOUND_BONUS_SELECT -eq 1
expect_charges 4 "0 0 2 0 0 armed -1"
expect_sound 4 SOUND_BONUS_BOMB -eq 1
# The lightning acts as it is pressed, and its strikes land one by one.
expect_charges 5 "0 0 1 0 0 armed -1"
expect_sound 5 SOUND_BONUS_FLUIDS -eq 1
expect_sound 5 SOUND_BONUS_FLUIDS_EXPLODE_CELL -ge 10
expect_charges 6 "0.4 1 2.5 3 0 armed -1"
for shot in bonus_empty bonus_hint bonus_bomb_armed bonus_lightning bonus_charges; do
    [ -s "$work/$shot.png" ] || fail "no $shot.png"
    cp "$work/$shot.png" "$3/tests/$shot.png"
done
