#!/usr/bin/env bash
# A resource group that fails on the loading thread: the game shows one "FATAL ERROR" box on its desktop
# and, once it is answered, shuts down with exit code 0; nothing hangs. The failure comes from a patch
# archive "other.pak" beside the program, which replaces a manifest of the shipped data set. Where
# the box cannot be shown, the error goes to stderr instead.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

# The program with its data set, and a patch whose block manifest names a picture that is not there.
mkdir -p "$work/program" "$work/patch/properties"
cp "$1" "$3/main.pak" "$3/config.xml" "$work/program/"
printf '<ResourceManifest>\n<Resources id="Blocks">\n<SetDefaults path="gfx/blocks"/>\n%s\n</Resources>\n</ResourceManifest>\n' \
    '<Image path="missing.png" id="IMAGE_MISSING"/>' > "$work/patch/properties/blocks.xml"
"$3/tools/pak" create "$work/program/other.pak" "$work/patch" > /dev/null

# The ids of the visible top-level windows titled "FATAL ERROR".
error_boxes() {
    xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "FATAL ERROR".*/\1/p'
}

"$work/program/quendara" 2> "$work/run.log" &
pids+=($!)
box=""
for _ in $(seq 200); do
    box=$(error_boxes | head -n 1)
    [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || fail "no error box: $(cat "$work/run.log")"
# Answered with Return; a box that is not yet taking keys is answered again.
for _ in $(seq 100); do
    boxes=$(error_boxes)
    [ -n "$boxes" ] || break
    [ "$boxes" = "$box" ] || fail "a second error box"
    xdotool key --window "$((box))" Return
    sleep 0.2
done
status=0
wait_for_exit "${pids[0]}" || status=$?
[ "$status" = 0 ] || fail "exit code $status after the error: $(tail -n 40 "$work/run.log")"
grep -q "^Seconds       = " "$work/run.log" || fail "no clean shutdown: $(cat "$work/run.log")"

# An X server with only its built-in fonts, like one without the core fonts package: SDL cannot show
# the box there, so the error goes to stderr, and the game still ends cleanly by itself.
status=0
timeout 60 xvfb-run -a -s "-screen 0 1024x768x24 -fp built-ins" "$work/program/quendara" 2> "$work/fontless.log" ||
    status=$?
[ "$status" = 0 ] || fail "exit code $status without fonts for the box: $(tail -n 40 "$work/fontless.log")"
grep -q "^FATAL ERROR: Failed to load image: gfx/blocks/missing.png" "$work/fontless.log" ||
    fail "no error on stderr: $(cat "$work/fontless.log")"
