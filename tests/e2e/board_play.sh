#!/usr/bin/env bash
# The live board in the real program under X, driven by the harness with two fixture levels in a patch
# archive (other.pak, read over main.pak): level 1 is three rows of one treasure round a locked cell,
# level 2 two cells that never make a chain. On level 1 a chain is built by clicks and plain moves, one
# is dragged over four bricks, cut back to two and dropped, and a drag through the lock fills the bar: the level completes,
# the tally is passed with Enter twice and level 2 appears (the player's town is complete, so no town
# upgrade comes between, and every hint has been seen). Level 2 has no moves: it fails, is played again, fails again and is passed over for level 3.
# The screenshots are left in the build's tests folder as board_*.png to be looked at.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

mkdir -p "$work/game" "$work/patch"
cp -r "$2/tests/e2e/board_levels/levels" "$work/patch/"
"$3/tools/pak" create "$work/game/other.pak" "$work/patch"
ln -s "$3/main.pak" "$work/game/main.pak"
cp "$3/config.xml" "$work/game/config.xml"

# Cell (x, y) has its centre at (130 + 36x, 88 + 36y).
cat > "$work/script.txt" <<'SCRIPT'
wait 75; shot board_appear.png
wait 150
report
click 310 232; move 312 232; move 346 232; move 382 232; move 418 232; wait 2; shot board_click_chain.png
click 418 232; wait 30; shot board_collapse.png
# A live bonus may come with the chain and bring its one-time hint: the player reads it and goes on (with no
# window open the key does nothing).
key Return; wait 20
wait 150
press 310 304; move 312 304; move 346 304; move 382 304; move 418 304; move 346 304; wait 2; shot board_cut_back.png
release 346 304; wait 100
report
drag 310 268 490 268 10; wait 40; shot board_complete.png
until visible 205 max 1200; key Return; wait 30; key Return
until nowindow; wait 200; shot board_next.png
report
wait 2000
report
SCRIPT

"$3/tests/quendara_harness" --data "$work/game" --state GameScreen --out "$work" \
    --profile "buildings=30 hints=ffffffff,1f" --script "$work/script.txt" \
    > "$work/out.txt" 2> "$work/run.log" ||
    fail "the harness failed: $(cat "$work/out.txt") $(tail -n 20 "$work/run.log")"
report() {
    sed -n "/^report/,\$p" "$work/out.txt" | awk -v n="$1" '/^report/ { count++ } count == n'
}
# The sounds of one report, or of all of them.
sounds() {
    if [ "$1" = all ]; then
        sed -n 's/^sounds //p' "$work/out.txt" | tr '\n' ' '
    else
        report "$1" | sed -n 's/^sounds //p'
    fi
}
expect_sound() {
    local count
    count=$(sounds "$1" | tr ' ' '\n' | grep -cx "$2" || true)
    [ "$count" = "$3" ] || fail "report $1 has $count of $2, not $3: $(sounds "$1")"
}
expect_sound 1 SOUND_FIELD_APPEAR 1
expect_sound 2 SOUND_BLOCK_SELECT1 2
expect_sound 2 SOUND_BLOCK_SELECT4 2
expect_sound 2 SOUND_CHAIN_EXPLODE_GOLD 1
expect_sound 3 SOUND_EXPLODE_PUZZLED_CELL 1
expect_sound 3 SOUND_LEVEL_COMPLETE 1
# Over the whole run: level 1, level 2 twice and level 3 appear; level 2 fails twice.
expect_sound all SOUND_FIELD_APPEAR 4
expect_sound all SOUND_FIELD_DISAPPEAR 3
expect_sound all SOUND_NO_MOVES 2
expect_sound all SOUND_LEVEL_FAILED 2
for shot in board_appear board_click_chain board_collapse board_cut_back board_complete board_next; do
    [ -s "$work/$shot.png" ] || fail "no $shot.png"
    cp "$work/$shot.png" "$3/tests/$shot.png"
done
