#!/usr/bin/env bash
# The display on 16- and 24-bit desktops as a player sees it: started in a window, the main menu's plain
# sky (the town's pictures left out) shows down its left edge, clear of the title and the panel, in the
# window exactly as the frame's pixels quantised to the desktop's depth (5-6-5 on the 16-bit desktop,
# every bit on the 24-bit one); Alt+Enter goes full screen,
# where the 800 x 600 picture fills the 1024 x 768 desktop with the same colours, and Alt+Enter comes
# back to the window.
set -euo pipefail
source "$2/tests/e2e/common.bash"
program=$1

if [ -z "${QUENDARA_E2E_DEPTH:-}" ]; then
    for depth in 16 24; do
        QUENDARA_E2E_DEPTH=$depth QUENDARA_E2E_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x$depth -wr" "$0" "$@"
    done
    exit 0
fi
unset SDL_VIDEODRIVER
depth=$QUENDARA_E2E_DEPTH
make_workspace
# The town's picture group emptied, so that the menu shows its plain sky behind the town.
mkdir -p "$work/program" "$work/patch/properties"
cp "$program" "$3/main.pak" "$3/config.xml" "$work/program/"
printf '<ResourceManifest>\n<Resources id="Buildings">\n</Resources>\n</ResourceManifest>\n' \
    > "$work/patch/properties/buildings.xml"
"$3/tools/pak" create "$work/program/other.pak" "$work/patch" > /dev/null
program=$work/program/quendara
mkdir -p "$(dirname "$store")"
# The software display: a 3D one draws opaque pictures from 5-6-5 textures, which round where the frame's
# own pixels are quantised.
printf 'TolmRegistry 1\nkey \nvalue ScreenMode 4 00000000\nvalue Is3D 4 00000000\nend\n' > "$store"

# Screen column x from row top, count rows, one "r,g,b" per line.
screen_column() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "1x$3+$1+$2" -depth 8 txt:- |
        sed -n 's/^[0-9]*,[0-9]*: (\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# The rows of the picture's column at x (the picture's top-left at left, top, scaled by scale/100) that
# do not show the menu's sky: bands of 4 rows blending (29, 63, 96) to (79, 151, 190) over the top half
# and on to (247, 201, 142) over the bottom half, cut to the desktop's depth. On the 16-bit desktop the
# screenshot widens the 5-6-5 value to 8 bits, which rounding takes back. Waits up to 30 seconds for
# none.
mismatched_rows() {
    local left=$1 top=$2 scale=$3 bad=""
    for _ in $(seq 60); do
        bad=$(screen_column "$left" "$top" "$((600 * scale / 100))" | awk -F, -v depth="$depth" -v scale="$scale" '
            function mix(from, to, position) { return from + int((to - from) * position / 300) }
            {
                row = int(((NR - 1) * 100 + 50) / scale)
                # Rows where two bands meet are blended when scaled.
                if (scale != 100 && (row % 4 == 0 || row % 4 == 3)) next
                band = int(row / 4) * 4
                if (band < 300) { r = mix(29, 79, band); g = mix(63, 151, band); b = mix(96, 190, band) }
                else { r = mix(79, 247, band - 300); g = mix(151, 201, band - 300); b = mix(190, 142, band - 300) }
                # The display fills a band with (c + 1) x mask / 256 on 16 bits and c x 255 / 256 on 32.
                if (depth == 16) {
                    r = int((r + 1) * 31 / 256); g = int((g + 1) * 63 / 256); b = int((b + 1) * 31 / 256)
                    expected = r "," g "," b
                    shown = int(($1 * 31 + 127) / 255) "," int(($2 * 63 + 127) / 255) "," int(($3 * 31 + 127) / 255)
                    # Scaled, the 5-6-5 picture is filtered in 8 bits and may come back one step up.
                    if (scale != 100) {
                        split(shown, s, ",")
                        if (s[1] - r >= 0 && s[1] - r <= 1 && s[2] - g >= 0 && s[2] - g <= 1 && \
                            s[3] - b >= 0 && s[3] - b <= 1) expected = shown
                    }
                } else {
                    expected = int(r * 255 / 256) "," int(g * 255 / 256) "," int(b * 255 / 256)
                    shown = $1 "," $2 "," $3
                }
                if (shown != expected) printf " %d:%s", row, $0
            }
            END { if (NR != 600 * scale / 100) printf " %d rows seen", NR }')
        [ -z "$bad" ] && return 0
        sleep 0.5
    done
    echo "$bad"
}

# Alt+Enter to the game's window, then waits up to 10 seconds for it to take the width asked for. The
# desktop keeps the one window through the switch, so the keys of the next switch reach it as well.
toggle_to_width() {
    xdotool key --window "$window" alt+Return || fail "depth $depth: Alt+Enter could not be sent"
    for _ in $(seq 50); do
        sleep 0.2
        eval "$(xdotool getwindowgeometry --shell "$window")"
        [ "$WIDTH" = "$1" ] && break
    done
    [ "$(xdotool search --onlyvisible --name "^Quendara v.1.3\$" | head -n 1)" = "$window" ] ||
        fail "depth $depth: the switch to a width of $1 made another window"
}

"$program" 2> "$work/run.log" &
pids+=($!)
window=$(wait_for_window "Quendara v.1.3") || fail "no window"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 800 ] && [ "$HEIGHT" = 600 ] || fail "window is ${WIDTH}x${HEIGHT}"
# Clicks cut the splashes short until the menu's sky shows.
for _ in $(seq 60); do
    xdotool mousemove $((X + 400)) $((Y + 300)) click 1
    [ "$(screen_pixel $((X + 20)) $((Y + 10)))" != "0,0,0" ] && break
    sleep 0.3
done
# The menu asks the new player for a profile, whose window darkens the screen until it is answered.
make_first_profile || fail "depth $depth: the main menu did not ask for a profile"
bad=$(mismatched_rows $((X + 20)) "$Y" 100) || true
[ -z "$bad" ] || fail "depth $depth, window: rows off the sky:$bad"

toggle_to_width 1024
[ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 768 ] || fail "depth $depth: full-screen window is ${WIDTH}x${HEIGHT}"
bad=$(mismatched_rows 25 0 128) || true
[ -z "$bad" ] || fail "depth $depth, full screen: rows off the sky:$bad"

toggle_to_width 800
[ "$WIDTH" = 800 ] || fail "depth $depth: back in a window of ${WIDTH}x${HEIGHT}"
bad=$(mismatched_rows $((X + 20)) "$Y" 100) || true
[ -z "$bad" ] || fail "depth $depth, window again: rows off the sky:$bad"

kill -TERM "${pids[0]}"
wait_for_exit "${pids[0]}" || fail "exit code $? after the quit request"
