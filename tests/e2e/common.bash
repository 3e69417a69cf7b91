# Shared by the whole-program tests: a private X server, private settings and data folders, and
# helpers to wait for the game's window, look at the screen and read the settings store.

# Runs the calling script again inside its own X server (1024 x 768, white root window) unless it
# already is inside one.
run_under_xvfb() {
    if [ -z "${QUENDARA_E2E_XVFB:-}" ]; then
        QUENDARA_E2E_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -wr" "$0" "$@"
    fi
    unset SDL_VIDEODRIVER
}

# A fresh folder for everything the game writes; removed at exit, with any game still running.
make_workspace() {
    work=$(mktemp -d)
    pids=()
    trap 'for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
    export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data SDL_AUDIODRIVER=dummy
    # For sanitizer builds: what the desktop's own libraries keep until the process ends is not ours.
    local rules
    rules=$(dirname "${BASH_SOURCE[0]}")/../sanitizers
    export LSAN_OPTIONS="suppressions=$rules/lsan.supp"
    export TSAN_OPTIONS="suppressions=$rules/tsan.supp"
    store="$XDG_CONFIG_HOME/Tarvel Studio/Quendara.registry"
}

# The example player in slot 2 and the setting "UserProfile" at 2, so that the game opens that slot at
# start: $1 the source folder. Sets profiles (the folder) and fixture (the slot's bytes).
place_example_profile() {
    profiles="$XDG_DATA_HOME/Tarvel Studio/Quendara/profiles"
    fixture="$1/tests/town/fixtures/anna.profile"
    mkdir -p "$profiles" "$(dirname "$store")"
    cp "$fixture" "$profiles/slot2.profile"
    printf 'TolmRegistry 1\nkey \nvalue UserProfile 4 02000000\nend\n' > "$store"
}

# A new player's first visit to the main menu asks for a profile: types a name and Enter, to the window
# under the mouse, until the profile is saved, for up to 10 seconds.
make_first_profile() {
    for _ in $(seq 50); do
        xdotool type ann
        xdotool key Return
        [ -n "$(find "$XDG_DATA_HOME" -name slot0.profile 2>/dev/null)" ] && return 0
        sleep 0.2
    done
    return 1
}

# The game's settings with "cheat_keys" set, into the patch folder's properties, for a patch archive
# (other.pak) read over main.pak: $1 the patch folder, $2 the build folder.
add_cheat_keys() {
    mkdir -p "$1/properties"
    local key='    <Boolean id="cheat_keys">true</Boolean>'
    sed "s#</Properties>#$key\n</Properties>#" "$2/data/properties/game_sets.xml" > "$1/properties/game_sets.xml"
    grep -q cheat_keys "$1/properties/game_sets.xml" || fail "the settings have no end tag to add the key before"
}

# Whether the program was built with AddressSanitizer or ThreadSanitizer, whose runtime takes fatal
# signals over: the crash catcher stands aside for them.
built_with_sanitizer() {
    local symbols
    symbols=$(nm -D "$1" 2> /dev/null) || return 1
    grep -Eq ' __(a|t)san_init$' <<< "$symbols"
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The id of the visible window with that exact title, waiting up to 20 seconds for it.
wait_for_window() {
    timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}

# "r,g,b" of one pixel of the whole screen.
screen_pixel() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "1x1+$1+$2" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:
}

# A REG_DWORD of the application key, as hex bytes ("00000000"), or nothing.
stored_value() {
    sed -n "s/^value $1 4 \([0-9a-f]*\)\$/\1/p" "$store"
}

# Waits up to 20 seconds for the process to end and gives its exit code.
wait_for_exit() {
    local pid=$1
    for _ in $(seq 200); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            return $?
        fi
        sleep 0.1
    done
    fail "process $pid did not end"
}

# The chain to play on a board given as rows of two characters a slot (a brick's letter, then ' ' or a
# lock's layers '1' or '2'; the harness's board report), as "x y" cells a line, or nothing: the longest
# run of one brick, cell to side-neighbour cell, through the most locks, up to $1 bricks long (8 if not
# given).
pick_chain() {
    python3 -c '
import sys
longest = int(sys.argv[1])
cells = {}
for y, row in enumerate(sys.stdin.read().split("\n")):
    for x in range(0, len(row), 2):
        brick, lock = row[x], row[x + 1:x + 2]
        if brick.isalpha():
            cells[(x // 2, y)] = (brick, lock in ("1", "2"))
best = (0, 0, [])
def grow(path, locks):
    global best
    if len(path) >= 3 and (locks, len(path)) > best[:2]:
        best = (locks, len(path), list(path))
    if len(path) == longest:
        return
    x, y = path[-1]
    for step in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
        if step not in path and cells.get(step, ("", 0))[0] == cells[path[0]][0]:
            path.append(step)
            grow(path, locks + cells[step][1])
            path.pop()
for cell in cells:
    grow([cell], cells[cell][1])
for x, y in best[2]:
    print(x, y)
' "${1:-8}"
}
