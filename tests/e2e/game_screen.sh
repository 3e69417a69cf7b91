#!/usr/bin/env bash
# The game screen tried as a new player would, in the real program under X from a fresh profile, driven
# by the harness with the debug keys switched on in a patch archive (other.pak: the game's settings with
# "cheat_keys" set, and a level 3 of two cells that never make a chain). Level 1 is played to its end
# with real chains: the harness reports the board, a small solver picks a chain of like bricks (side by
# side, three or more, through the locks first) and it is dragged, until the level completes. The
# rules open 1.5 s into the level and are closed. The tally is passed with Enter twice; on the town
# upgrade screen q, w and e add to the totals, the first slot's building is bought and falls into
# place, and Enter goes on to level 2. There Esc pauses (the window comes about 1.5 s later) and
# Continue resumes; F1 opens the rules; the eye button shows the town and a click comes back. The
# keypad's plus fills level 2, and level 3 has no moves: it fails, is played again, fails again and is
# passed over. The screenshots are left in the build's tests folder as game_*.png.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace
shots=$3/tests
rm -f "$shots"/game_*.png

mkdir -p "$work/game" "$work/patch"
cp -r "$2/tests/e2e/game_levels/levels" "$work/patch/"
add_cheat_keys "$work/patch" "$3"
"$3/tools/pak" create "$work/game/other.pak" "$work/patch" > /dev/null
ln -s "$3/main.pak" "$work/game/main.pak"
cp "$3/config.xml" "$work/game/config.xml"

# The harness follows the commands given it, its time standing still between them.
coproc GAME {
    "$3/tests/quendara_harness" --data "$work/game" --state GameScreen --out "$work" --follow 2> "$work/run.log"
}
pids+=("$GAME_PID")
game_in=${GAME[1]}
game_out=${GAME[0]}

# Runs the commands and reads what they print into $answer (the whole output also goes to out.txt). The
# screenshots go to the build's tests folder as they are taken, so that a failed run leaves its own.
ask() {
    printf '%s\necho end-of-answer\n' "$1" >&"$game_in"
    answer=""
    local line
    while IFS= read -r -t 600 line <&"$game_out"; do
        echo "$line" >> "$work/out.txt"
        if [ "$line" = end-of-answer ]; then
            find "$work" -maxdepth 1 -name 'game_*.png' -exec mv -t "$shots" {} +
            return 0
        fi
        case $line in FAIL*) fail "the harness: $line" ;; esac
        answer+="$line"$'\n'
    done
    fail "the harness stopped: $(tail -n 20 "$work/run.log")"
}

# The chain to drag on the reported board (pick_chain in common.bash), as "x y" cells a line.
chain_on_board() {
    sed -n 's/^row //p' <<< "$answer" | pick_chain
}

# The chain dragged: pressed on its first brick, which joins at a move over it, moved through the others,
# the commands given (a screenshot) done, then released. Cell (x, y) has its centre at (130 + 36x, 88 + 36y).
drag_commands() {
    local commands="" x y
    while read -r x y; do
        if [ -z "$commands" ]; then
            commands="press $((130 + 36 * x)) $((88 + 36 * y)); move $((132 + 36 * x)) $((88 + 36 * y))"
        else
            commands+="; move $((130 + 36 * x)) $((88 + 36 * y))"
        fi
    done <<< "$1"
    echo "$commands; wait 2; $2; release $((130 + 36 * x)) $((88 + 36 * y)); wait 60"
}

has_line() {
    grep -q "$1" <<< "$answer"
}

expect_line() {
    grep -qxF "$1" <<< "$answer" || fail "no line \"$1\" in: $answer"
}

# The update of the last report.
update() {
    sed -n 's/^report update=//p' <<< "$answer"
}

# Polls every 10 updates, for at most 10 s of the game's time, until a report has the sound.
wait_for_sound() {
    for _ in $(seq 100); do
        ask "wait 10; report"
        has_line "^sounds.* $1\b" && return 0
    done
    fail "no sound $1"
}

# Level 1 as it opens, then the rules 1.5 s in, closed with Escape.
ask "wait 75; shot game_level1.png; until visible 204 max 300; wait 20; shot game_rules.png"
ask "key Escape; until nowindow; report"
expect_line "level 1"
for chains in $(seq 0 150); do
    ask "report"
    has_line '^sounds.*SOUND_LEVEL_COMPLETE' && break
    # A one-time hint (a live bonus) is read and closed like the rules.
    if has_line '^window 211'; then
        ask "wait 20; shot game_hint.png; key Return; until nowindow; wait 20"
        continue
    fi
    chain=$(chain_on_board)
    [ -n "$chain" ] || fail "no chain on the board: $answer"
    case $chains in
    0) ask "$(drag_commands "$chain" "shot game_chain.png")" ;;
    3) ask "$(drag_commands "$chain" "wait 0") ; shot game_chains.png" ;;
    *) ask "$(drag_commands "$chain" "wait 0")" ;;
    esac
done
has_line '^sounds.*SOUND_LEVEL_COMPLETE' || fail "level 1 did not complete in $chains chains"
echo "level 1 completed in $chains chains"
ask "wait 30; shot game_complete.png; until visible 205 max 1500; wait 30; shot game_tally.png"
ask "key Return; wait 60; shot game_tally_counted.png; key Return; until state TownUpgradeScreen max 600; wait 150"
ask "shot game_upgrade.png; report"
before=$(sed -n 's/^totals //p' <<< "$answer")
ask $'type qwe\nwait 30; shot game_upgrade_totals.png; report'
read -r gold food supplies score <<< "$before"
expect_line "totals $((gold + 200)) $((food + 200)) $((supplies + 200)) $score"
# The first slot's Buy button (the panel's foot at y 380, the slot's button at (14, 108) in it).
ask "move 56 509; wait 20; shot game_upgrade_buy.png; click 56 509; wait 40; shot game_building_rising.png"
ask "wait 200; shot game_building_built.png; report"
read -r bought_gold bought_food bought_supplies _ <<< "$(sed -n 's/^totals //p' <<< "$answer")"
[ $((bought_gold + bought_food + bought_supplies)) -lt $((gold + food + supplies + 600)) ] ||
    fail "the purchase cost nothing: $answer"
ask "key Return; until state GameScreen max 600; wait 120; shot game_level2.png; report"
expect_line "level 2"

# The pause: the board hides, and the window follows.
ask "report"
escape=$(update)
ask "key Escape; until window 203 max 300; report"
# The board and the panels go, a second passes, and the window opens: about 1.5 s in all.
paused=$(($(update) - escape))
echo "the pause window came $paused updates after Escape"
[ "$paused" -ge 120 ] && [ "$paused" -le 180 ] || fail "the pause window came $paused updates after Escape"
ask "until visible 203; wait 20; shot game_pause.png; click 400 362; until nowindow max 200; wait 100"
ask "shot game_resumed.png; report"
expect_line "closed 203 PauseWindow result=0"
ask "key F1; until visible 204 max 200; wait 20; shot game_help.png; key Escape; until nowindow; wait 30; report"
expect_line "closed 204 HelpWindow result=0"
ask "click 732 368; until state TownScreen max 300; wait 100; shot game_town.png"
ask "click 400 300; until state GameScreen max 300; wait 100; shot game_back.png; report"

# Level 2 filled by the debug key; level 3 has no moves and fails. Level 2 is near its seventh second, when
# a brick's one-time hint opens (or has opened) and takes the key: it is read, and the key given again.
ask "key Keypad +; wait 10; report"
if has_line '^window 211'; then
    ask "wait 20; shot game_brick_hint.png; key Return; until nowindow; wait 10; key Keypad +"
fi
ask "until visible 205 max 1500; key Return; wait 30; key Return"
ask "until state TownUpgradeScreen max 600; wait 100; key Return; until state GameScreen max 600; report"
expect_line "level 3"
wait_for_sound SOUND_FIELD_APPEAR
ask "wait 20; shot game_no_moves.png"
wait_for_sound SOUND_LEVEL_FAILED
failed=$(update)
ask "wait 75; shot game_failing.png; wait 75; shot game_failed.png"
# Failed once, the level is played again; failed twice, it is passed over.
wait_for_sound SOUND_FIELD_APPEAR
echo "level 3 started again $(($(update) - failed)) updates after it failed"
ask "wait 30; shot game_retry.png; report"
expect_line "level 3"
wait_for_sound SOUND_LEVEL_FAILED
wait_for_sound SOUND_FIELD_APPEAR
ask "wait 30; report"
expect_line "level 4"
printf 'quit\n' >&"$game_in"
status=0
wait "$GAME_PID" || status=$?
[ "$status" = 0 ] || fail "the harness ended with $status: $(tail -n 20 "$work/run.log")"
