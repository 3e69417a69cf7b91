#!/usr/bin/env bash
# A recorded demo played back by the real program under X, through the harness, which records from the
# program's start (the game's own command line takes only a start level). The session plays two chains
# on the board of a fixture level (three rows of one treasure round a lock) and quits; its replay shows
# the same boards, totals and sounds at the same updates and ends at the recorded quit. Then broken
# demos: one cut in half runs out and stands still until a SIGTERM ends it, one cut after the first
# chain replays that chain and a SIGINT ends it, one with a garbled second half ends without a crash,
# and one with a wrong magic number is refused with "Invalid demo file.".
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace
build=$3

mkdir -p "$work/game" "$work/patch"
cp -r "$2/tests/e2e/board_levels/levels" "$work/patch/"
"$3/tools/pak" create "$work/game/other.pak" "$work/patch"
ln -s "$3/main.pak" "$work/game/main.pak"
cp "$3/config.xml" "$work/game/config.xml"

# Cell (x, y) has its centre at (130 + 36x, 88 + 36y): rows 4 and 6 are whole chains of six.
cat > "$work/script.txt" <<'SCRIPT'
wait 150
drag 310 232 490 232 10; wait 60
report
drag 310 304 490 304 10; wait 60
report
wait 20
SCRIPT

harness=("$build/tests/quendara_harness" --data "$work/game" --state GameScreen --out "$work"
    --profile "buildings=30 hints=ffffffff,1f" --script "$work/script.txt")
# The recording's reports as a replay makes them. The music calls are left out: the harness listens to
# the music only once the program has started, and a recording's window, which the desktop has not
# yet given the focus at the start, is muted before that, its replay's only once it plays.
replayed() {
    grep -v -e '^demo stream ' -e '^music' "$1"
}

"${harness[@]}" --record "$work/session.dmo" > "$work/recorded.txt" 2> "$work/record.log" ||
    fail "the recording failed: $(cat "$work/recorded.txt") $(tail -n 20 "$work/record.log")"
[ -s "$work/session.dmo" ] || fail "no demo was written"
[ "$(grep -c '^report' "$work/recorded.txt")" = 2 ] || fail "the recording did not report twice"
[ "$(grep -c '^sounds.*SOUND_CHAIN_EXPLODE_GOLD' "$work/recorded.txt")" = 2 ] || fail "the two chains did not explode"
first_rows=$(awk '/^report/ { n++ } n == 1 && /^row/' "$work/recorded.txt")
second_rows=$(awk '/^report/ { n++ } n == 2 && /^row/' "$work/recorded.txt")
[ -n "$first_rows" ] && [ "$first_rows" != "$second_rows" ] || fail "the second chain changed no brick"

# Waits up to $2 tenths of a second for process $1 to end; fails unless it ended, and with a signal.
await_end() {
    local status=0
    for _ in $(seq "$2"); do
        kill -0 "$1" 2> /dev/null || break
        sleep 0.1
    done
    kill -0 "$1" 2> /dev/null && return 1
    wait "$1" || status=$?
    [ "$status" -lt 128 ] || fail "process $1 died of a signal ($status)"
}
no_crash() {
    [ ! -e "$work/game/crash.txt" ] || fail "$1 crashed: $(head -n 20 "$work/game/crash.txt")"
    ! grep -q 'Sanitizer' "$2" || fail "$1: $(grep -A 20 Sanitizer "$2")"
}

"${harness[@]}" --play "$work/session.dmo" > "$work/played.txt" 2> "$work/play.log" &
pid=$!
pids+=("$pid")
await_end "$pid" 600 || fail "the replay did not end at the recorded quit: $(tail -n 20 "$work/play.log")"
diff <(replayed "$work/recorded.txt") <(replayed "$work/played.txt") > "$work/diff.txt" ||
    fail "the replay differs from the recording: $(cat "$work/diff.txt")"

# The stream starts after the header: magic, version, seed, the version text (16-bit length), the
# marker block (32-bit length) and the final update count.
stream_start() {
    local text markers
    text=$(od -An -tu2 -j12 -N2 "$1" | tr -d ' ')
    markers=$(od -An -tu4 -j$((14 + text)) -N4 "$1" | tr -d ' ')
    echo $((14 + text + 4 + markers + 4))
}

# Plays a broken demo until it says it is held, then sends the signal; the program must end on it.
play_until_held_then() {
    local demo=$1 signal=$2 out=$3 pid
    # With job control on, a program started in the background keeps SIGINT (else it starts ignoring it).
    set -m
    "${harness[@]}" --play "$demo" > "$out" 2> "$out.log" &
    pid=$!
    set +m
    pids+=("$pid")
    for _ in $(seq 600); do
        grep -q '^replay held at update' "$out" && break
        kill -0 "$pid" 2> /dev/null || fail "the replay of $demo ended by itself: $(tail -n 20 "$out.log")"
        sleep 0.1
    done
    grep -q '^replay held at update' "$out" || fail "the replay of $demo did not stand still"
    kill -s "$signal" "$pid"
    await_end "$pid" 300 || fail "the replay of $demo went on after SIG$signal"
    no_crash "the replay of $demo" "$out.log"
}

size=$(stat -c %s "$work/session.dmo")
head -c $((size / 2)) "$work/session.dmo" > "$work/half.dmo"
play_until_held_then "$work/half.dmo" TERM "$work/half.txt"

# Cut where the second report was made: the logic stops at the second chain's last event, after the
# first report and before the second.
second_bytes=$(sed -n 's/^demo stream \([0-9]*\) bytes$/\1/p' "$work/recorded.txt" | sed -n 2p)
head -c $(($(stream_start "$work/session.dmo") + second_bytes)) "$work/session.dmo" > "$work/cut.dmo"
play_until_held_then "$work/cut.dmo" INT "$work/cut.txt"
diff <(replayed "$work/recorded.txt" | awk '/^report/ { n++ } n == 1') \
    <(replayed "$work/cut.txt" | grep -v '^replay held' | awk '/^report/ { n++ } n == 1') > "$work/diff.txt" ||
    fail "the cut replay's first report differs: $(cat "$work/diff.txt")"
held=$(sed -n 's/^replay held at update //p' "$work/cut.txt")
second=$(grep '^report' "$work/recorded.txt" | sed -n '2s/report update=//p')
[ "$held" -lt "$second" ] || fail "the cut replay held at $held, not before the second report at $second"

# The second half garbled: the replay reads nonsense and goes wherever it leads, but does not crash.
{ head -c $((size / 2)) "$work/session.dmo"; head -c $((size - size / 2)) < <(yes '}G%q7#b~'); } > "$work/garbled.dmo"
"${harness[@]}" --play "$work/garbled.dmo" > "$work/garbled.txt" 2> "$work/garbled.log" &
pid=$!
pids+=("$pid")
# Either it stands still, or it ends on its own, or it runs on: it ends on SIGTERM in any case.
await_end "$pid" 30 || { kill -TERM "$pid" && await_end "$pid" 300; } || fail "the garbled replay went on after SIGTERM"
no_crash "the garbled replay" "$work/garbled.log"

# A wrong magic number: refused before anything is shown.
{ printf '\x00\x00\x00\x00'; tail -c +5 "$work/session.dmo"; } > "$work/magic.dmo"
status=0
timeout 60 "$3/tests/quendara_harness" --data "$work/game" --play "$work/magic.dmo" --run "wait 1" \
    > /dev/null 2> "$work/magic.log" || status=$?
grep -q 'Invalid demo file\.' "$work/magic.log" || fail "no \"Invalid demo file.\": $(cat "$work/magic.log")"
[ "$status" -lt 124 ] || fail "the refused demo did not end by itself ($status)"
exit 0
