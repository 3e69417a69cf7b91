#!/usr/bin/env bash
# On the X server's software OpenGL (Mesa's llvmpipe) frames reach the window through its surface, not
# through an OpenGL quad: with the shipped "vhwb.dat" the card is refused and the game draws in 2D; from a
# folder without the list the card passes and the game draws in 3D on that OpenGL, and still presents
# in software. The harness reports both on the main menu.
set -euo pipefail
source "$2/tests/e2e/common.bash"
run_under_xvfb "$@"
make_workspace

mkdir -p "$work/shipped" "$work/unlisted"
cp "$3/main.pak" "$3/config.xml" "$3/vhwb.dat" "$work/shipped/"
cp "$3/main.pak" "$3/config.xml" "$work/unlisted/"

build=$3

# Runs the harness on the menu from the folder $1 and checks its display line against $2.
expect_display() {
    "$build/tests/quendara_harness" --state MenuScreen --data "$1" --out "$work" --run "wait 5; report" \
        > "$work/out.txt" 2> "$work/run.log" ||
        fail "the harness failed: $(cat "$work/out.txt") $(tail -n 20 "$work/run.log")"
    grep -qxF "$2" "$work/out.txt" || fail "from $1, not \"$2\": $(grep '^display' "$work/out.txt")"
}

expect_display "$work/shipped" "display 2d present software"
expect_display "$work/unlisted" "display 3d present software"
