#!/usr/bin/env bash
# The title screen as a new player sees it, full screen on a 1024 x 768 desktop (the 800 x 600 picture
# scaled by 1.28): the first splash picture on black; clicks cut the splashes short, and the loading
# picture shows with its bar filled to the loaded share; when loading is done the main menu follows and
# asks the new player for a profile.
# The loading is held half-way by a picture the game reads from a pipe, which the test fills when it
# has looked at the bar: a patch archive "other.pak" gives group "Field" that picture and 15 others, and
# empties groups "Blocks", "Buildings" and "Sounds", so that 16 of the 32 resources of the loading thread
# are loaded while it waits.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

mkdir -p "$work/program/gfx" "$work/patch/properties"
cp "$1" "$3/main.pak" "$3/config.xml" "$work/program/"
mkfifo "$work/program/gfx/held.png"
{
    printf '<ResourceManifest>\n<Resources id="Field">\n<SetDefaults path="gfx" idprefix="IMAGE_"/>\n'
    printf '<Image path="held.png" id="HELD"/>\n'
    for i in $(seq 15); do
        printf '<Image path="general/cursor_pointer.png" variant="%d" id="COPY%d"/>\n' "$i" "$i"
    done
    printf '</Resources>\n</ResourceManifest>\n'
} > "$work/patch/properties/field.xml"
for group in Blocks Buildings Sounds; do
    printf '<ResourceManifest>\n<Resources id="%s">\n</Resources>\n</ResourceManifest>\n' "$group" \
        > "$work/patch/properties/$(echo "$group" | tr A-Z a-z).xml"
done
"$3/tools/pak" create "$work/program/other.pak" "$work/patch" > /dev/null

# "r,g,b" of the game's pixel (x, y), from the scaled picture on the screen.
game_pixel() {
    screen_pixel $(($1 * 128 / 100)) $(($2 * 128 / 100))
}
channel() {
    echo "$1" | cut -d, -f"$2"
}

"$work/program/quendara" 2> "$work/run.log" &
pids+=($!)
wait_for_window "Quendara v.1.3" > /dev/null || fail "no window"
# The publisher's teal emblem in the middle of the first splash, black around it.
shown() {
    [ "$(channel "$1" 3)" -gt 100 ] && [ "$(channel "$1" 1)" -lt 100 ]
}
# The splash lasts about three seconds of the game's time, and on a loaded machine one look at the
# screen can take longer: the game is stopped while the test looks, and runs a little between looks.
for _ in $(seq 100); do
    kill -STOP "${pids[0]}"
    emblem=$(game_pixel 345 252)
    shown "$emblem" && break
    kill -CONT "${pids[0]}"
    sleep 0.05
done
shown "$emblem" || fail "no splash: $emblem"
[ "$(game_pixel 20 580)" = "0,0,0" ] || fail "the splash is not on black"
kill -CONT "${pids[0]}"

# A click cuts a splash short: one still fading in or holding fades out from there on.
sky=""
for _ in $(seq 40); do
    xdotool mousemove 512 384 click 1
    sleep 0.2
    sky=$(game_pixel 400 10)
    [ "$sky" != "0,0,0" ] && break
done
# The loading picture: deep blue sky above, the bar half full below.
[ "$(channel "$sky" 3)" -gt "$(channel "$sky" 1)" ] || fail "no loading picture: $sky"
gold() {
    [ "$(channel "$1" 1)" -gt 200 ] && [ "$(channel "$1" 3)" -lt 140 ]
}
for _ in $(seq 50); do
    filled=$(game_pixel 200 556)
    gold "$filled" && break
    sleep 0.1
done
gold "$filled" || fail "the bar is not filled: $filled"
empty=$(game_pixel 600 556)
[ "$(channel "$empty" 1)" -lt 110 ] || fail "the bar is filled past half: $empty"

cat "$3/data/gfx/general/cursor_pointer.png" > "$work/program/gfx/held.png"
# The main menu asks the new player for a profile; then its sky shows beside the panel, under the title's
# clear left edge: the warm horizon at the bottom, the deep blue at the top.
make_first_profile || fail "the main menu did not ask for a profile"
menu() {
    [ "$(channel "$1" 1)" -gt 200 ] && [ "$(channel "$1" 2)" -gt 150 ]
}
for _ in $(seq 50); do
    horizon=$(game_pixel 20 556)
    menu "$horizon" && break
    sleep 0.1
done
menu "$horizon" || fail "no main menu: $horizon"
top=$(game_pixel 20 4)
[ "$(channel "$top" 3)" -gt 80 ] && [ "$(channel "$top" 1)" -lt 60 ] || fail "no sky over the main menu: $top"
kill -TERM "${pids[0]}"
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status: $(tail -n 40 "$work/run.log")"
