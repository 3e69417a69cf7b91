#!/usr/bin/env bash
# Sets up what is missing, builds everything with warnings as errors, and runs every test headless:
# each test in a process of its own under ctest, then, unless ctest arguments pick some, each suite
# whole in one process, once in its own order and once shuffled.
# Usage: ./test.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")"

# A test that leaves shared state behind (the file layer, the message pump, a setting) breaks a later
# test of its suite only when they share a process. The suites run side by side, beside the data set.
run_suites_whole() {
    local logs suite order failed=0
    logs=$(mktemp -d)
    for suite in build/release/tests/test_*; do
        [[ -x $suite && ! -d $suite ]] || continue
        for order in declared shuffled; do
            local flags=(--gtest_brief=1)
            [ "$order" = shuffled ] && flags+=(--gtest_shuffle)
            (cd build/release && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 900 \
                "tests/${suite##*/}" "${flags[@]}" > "$logs/${suite##*/}.$order.log" 2>&1 ||
                echo $? > "$logs/${suite##*/}.$order.failed") &
        done
    done
    wait
    for log in "$logs"/*.log; do
        if [ -e "${log%.log}.failed" ]; then
            echo "Run whole in one process, ${log##*/} failed:" >&2
            cat "$log" >&2
            failed=1
        fi
    done
    rm -rf "$logs"
    [ "$failed" = 0 ] || exit 1
    echo "Every suite passed whole in one process, in its own order and shuffled."
}

deps/install.sh
cmake --preset release -DQUENDARA_WERROR=ON >/dev/null
cmake --build --preset release
ctest --preset release --parallel "$(nproc)" "$@"
[ $# -gt 0 ] || run_suites_whole
