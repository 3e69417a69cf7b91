#!/usr/bin/env bash
# The crash windows of the real game, crashed on purpose by the harness: on its main thread, and on
# another thread while the main loop is held busy. As players have it (no report server named) the
# "Fatal Error!" window offers "Close Now" alone, which ends the game by its signal with "crash.txt"
# written. With a report server on the loopback the window also offers "Send Report": the details
# window takes "hello", "Continue" sends the report, and the server receives it as the user's text. The
# windows are saved beside the tests ("crash_window_players.png", "crash_window.png",
# "crash_details.png") to be looked at.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace
harness=$3/tests/quendara_harness
built_with_sanitizer "$harness" && exit 77
# The game's data and the harness's map in a folder of the test's own, where "crash.txt" is written.
mkdir "$work/game"
for file in "$3/main.pak" "$3/config.xml" "$harness.map"; do
    ln -s "$file" "$work/game/"
done

# Clicks a point of a window's client area.
click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Starts the game and crashes it, with the rest of the environment as given.
crash_game() {
    "$harness" --data "$work/game" --run "crash" 2> "$work/run.log" &
    pids+=($!)
}

# Players: the crash window alone, closed with its one button.
crash_game
window=$(wait_for_window "Fatal Error!") || fail "no crash window: $(tail -n 20 "$work/run.log")"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 400 ] && [ "$HEIGHT" = 300 ] || fail "crash window is ${WIDTH}x${HEIGHT}"
sleep 0.5
import -window "$window" "$3/tests/crash_window_players.png"
# The report is on the clipboard, as the game had it before the map named it, served while the window
# is up although the game itself is stopped in its crash.
clipboard=$(timeout 5 xclip -o -selection clipboard) || fail "nobody serves the clipboard"
[[ $clipboard == "Exception: Access Violation (code 0xc0000005) at address "* ]] ||
    fail "clipboard: $(head -c 300 <<< "$clipboard")"
grep -Eq $'^Logical Address: [0-9A-F]{4}:[0-9A-F]{8}\r$' <<< "$clipboard" || fail "the clipboard's report was named"
grep -q $'^Product: ' <<< "$clipboard" || fail "the clipboard's report has no program information"
# The one button spans the window: a click near its right end presses it.
click "$window" 390 280
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = $((128 + 11)) ] || fail "exit code $status, not the access violation's signal"
head -n 1 "$work/game/crash.txt" | grep -q "^Exception: Access Violation (code 0xc0000005) at address " ||
    fail "crash.txt: $(head -n 3 "$work/game/crash.txt")"

# A crash on another thread while the main loop is held busy for good: after two seconds the crash
# gives up waiting for the loop and takes the game's window off the screen itself; the report has the
# program information, and the clipboard has the report, though the main thread never stopped.
"$harness" --data "$work/game" --run "wait 100; crash-beside-busy-loop" 2> "$work/run.log" &
pids+=($!)
game=${pids[-1]}
wait_for_window "Quendara v.1.3" > /dev/null || fail "no game window: $(tail -n 20 "$work/run.log")"
window=$(wait_for_window "Fatal Error!") || fail "no crash window: $(tail -n 20 "$work/run.log")"
[ -z "$(xdotool search --onlyvisible --name '^Quendara v.1.3$')" ] || fail "the game's window is still on the screen"
grep -q $'^Product: ' "$work/game/crash.txt" || fail "crash.txt has no program information"
clipboard=$(timeout 5 xclip -o -selection clipboard) || fail "nobody serves the clipboard"
[[ $clipboard == "Exception: Access Violation (code 0xc0000005) at address "* ]] ||
    fail "clipboard: $(head -c 300 <<< "$clipboard")"
click "$window" 390 280
status=0
wait_for_exit "$game" || status=$?
[ "$status" = $((128 + 11)) ] || fail "exit code $status after a crash beside the main loop"

# A deployment with a report server: the report is sent with the user's words.
python3 - "$work" <<'EOF' &
import re, socket, sys
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(1)
open(sys.argv[1] + "/port", "w").write(str(server.getsockname()[1]))
connection, _ = server.accept()
data = b""
while True:
    chunk = connection.recv(65536)
    if not chunk:
        break
    data += chunk
    head, blank, body = data.partition(b"\r\n\r\n")
    length = re.search(rb"Content-Length: (\d+)", head)
    if blank and length and len(body) >= int(length.group(1)):
        break
open(sys.argv[1] + "/request.txt", "wb").write(data)
connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok")
connection.close()
EOF
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/port" ] && break
    sleep 0.1
done
export QUENDARA_CRASH_REPORT_HOST="127.0.0.1:$(cat "$work/port")"
crash_game
game=${pids[-1]}
window=$(wait_for_window "Fatal Error!") || fail "no crash window: $(tail -n 20 "$work/run.log")"
sleep 0.5
import -window "$window" "$3/tests/crash_window.png"
click "$window" 100 280
details=$(wait_for_window "Error Details") || fail "Send Report did not lead to the details window"
xdotool windowfocus --sync "$details"
xdotool type --delay 50 hello
sleep 0.5
import -window "$details" "$3/tests/crash_details.png"
click "$details" 100 280
for _ in $(seq 200); do
    [ -s "$work/request.txt" ] && break
    sleep 0.1
done
[ -s "$work/request.txt" ] || fail "the server received nothing"
grep -q $'name="usertext"\r\n\r\nhello\r\n' "$work/request.txt" || fail "no usertext hello: $(head -c 2000 "$work/request.txt")"
grep -q $'name="errortext"\r\n\r\nException: Access Violation' "$work/request.txt" || fail "the report was not sent"
status=0
wait_for_exit "$game" || status=$?
[ "$status" = $((128 + 11)) ] || fail "exit code $status after the report was sent"
