#!/usr/bin/env bash
# Sets up what is missing, builds everything with warnings as errors, and runs every test headless:
# each test in a process of its own under ctest, then, unless ctest arguments pick some, each suite
# whole in one process, once in its own order and once shuffled. With --asan, all of that in the
# debug-asan preset (AddressSanitizer and UndefinedBehaviorSanitizer, with the leak rules of
# tests/sanitizers/), the whole-program tests included.
# Usage: ./test.sh [--asan] [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")"

preset=release
if [ "${1:-}" = --asan ]; then
    preset=debug-asan
    shift
    # As the test preset sets them, for the suites run whole outside ctest.
    export ASAN_OPTIONS=detect_stack_use_after_return=1:detect_leaks=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp
fi

# A test that leaves shared state behind (the file layer, the message pump, a setting) breaks a later
# test of its suite only when they share a process. The suites run side by side, each in a working
# folder of its own that holds the data set's archive, as the program's folder does; a test that
# leaves a file there, other than a picture to be looked at, fails the run too.
run_suites_whole() {
    local logs suite name order folder leftover failed=0
    logs=$(mktemp -d)
    for order in declared shuffled; do
        for suite in "$PWD/build/$preset"/tests/test_*; do
            [[ -x $suite && ! -d $suite ]] || continue
            name=${suite##*/}
            local flags=(--gtest_brief=1)
            [ "$order" = shuffled ] && flags+=(--gtest_shuffle)
            folder="$logs/$name.$order"
            mkdir "$folder"
            ln -s "$PWD/build/$preset/main.pak" "$folder/main.pak"
            (cd "$folder" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 900 "$suite" "${flags[@]}" \
                > "$folder.log" 2>&1 || echo $? > "$folder.failed") &
        done
        # A sanitized suite takes several times the memory: there one order runs after the other.
        [ "$preset" = release ] || wait
    done
    wait
    for log in "$logs"/*.log; do
        folder=${log%.log}
        leftover=$(ls -A "$folder" | grep -vx -e main.pak -e '.*\.png' || true)
        if [ -n "$leftover" ]; then
            echo "Left in the working folder: $leftover" >> "$log"
            touch "$folder.failed"
        fi
        if [ -e "$folder.failed" ]; then
            echo "Run whole in one process, ${folder##*/} failed:" >&2
            cat "$log" >&2
            failed=1
        fi
    done
    rm -rf "$logs"
    [ "$failed" = 0 ] || exit 1
    echo "Every suite passed whole in one process, in its own order and shuffled."
}

deps/install.sh
if [ "$preset" = release ]; then
    cmake --preset release -DQUENDARA_WERROR=ON >/dev/null
else
    cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset"
ctest --preset "$preset" --parallel "$(nproc)" "$@"
[ $# -gt 0 ] || run_suites_whole
