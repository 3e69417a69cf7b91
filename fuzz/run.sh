#!/usr/bin/env bash
# Builds the fuzz targets and runs each one twice for a while: once from its seeds in fuzz/corpus/<name>/
# and once from an empty corpus, so that the empty input and what grows from it are tried too. Every run
# has a scratch folder of its own as its working folder, temporary folder and home, which goes when the
# run ends; what a run finds is kept in build/fuzz/findings/<name>.<corpus>/ with the run's log, and
# fails the whole.
# Usage: fuzz/run.sh [-t SECONDS] [-j PARALLEL] [TARGET...]   (default: 60 s each, 4 at a time, all)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
parallel=4
while getopts "t:j:" option; do
    case $option in
    t) seconds=$OPTARG ;;
    j) parallel=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)}
cmake --preset fuzz > /dev/null
cmake --build --preset fuzz -- -j"$parallel"

bin=$PWD/build/fuzz/fuzz
findings=$PWD/build/fuzz/findings
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in fuzz/*.cpp; do
        name=${source##*/}
        targets+=("${name%.cpp}")
    done
fi

# In memory where the system offers it: the profile and level targets flush every file they save.
base=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
scratch=$(mktemp -d "$base/quendara-fuzz-run.XXXXXX")
# An interrupted command ends the fuzzers it started before their folders go.
stop() {
    local pid
    touch "$scratch/stopping"
    for pid in "$scratch"/*/pid; do
        if [ -e "$pid" ]; then
            kill "$(cat "$pid")" 2> /dev/null || true
        fi
    done
    wait || true
    rm -rf "$scratch"
}
trap stop EXIT
trap 'exit 130' INT TERM

# The sanitizer builds' leak rules, as the tests take them.
leak_rules=$PWD/tests/sanitizers/lsan.supp

# One run: a target from one corpus, in its own folder. A finding, a leak, a time-out and an exit of the
# target's own all count as a failure.
run_one() {
    local name=$1 corpus=$2
    local folder=$scratch/$name.$corpus
    mkdir -p "$folder/work" "$folder/tmp" "$folder/home" "$folder/corpus" "$folder/artifacts"
    local inputs=("$folder/corpus")
    [ "$corpus" = empty ] || inputs+=("$PWD/fuzz/corpus/$name")
    local status=0
    env -C "$folder/work" TMPDIR="$folder/tmp" HOME="$folder/home" XDG_DATA_HOME="$folder/home/data" \
        XDG_CONFIG_HOME="$folder/home/config" XDG_CACHE_HOME="$folder/home/cache" \
        SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=1 \
        LSAN_OPTIONS="suppressions=$leak_rules" \
        "$bin/fuzz_$name" -max_total_time="$seconds" -timeout=30 \
        -artifact_prefix="$folder/artifacts/" "${inputs[@]}" > "$folder/log" 2>&1 &
    echo $! > "$folder/pid"
    wait $! || status=$?
    rm "$folder/pid"
    [ ! -e "$scratch/stopping" ] || return 0
    if [ $status -ne 0 ] || [ -n "$(ls -A "$folder/artifacts")" ]; then
        mkdir -p "$findings"
        rm -rf "${findings:?}/$name.$corpus"
        mkdir "$findings/$name.$corpus"
        cp -r "$folder/artifacts/." "$folder/log" "$findings/$name.$corpus/"
        echo "FAILED $name from the $corpus corpus (exit $status): build/fuzz/findings/$name.$corpus/"
        touch "$scratch/failed"
        return
    fi
    echo "ok     $name from the $corpus corpus: $(grep -o 'Done [0-9]* runs' "$folder/log" || echo 'ran')"
}

runs=()
for name in "${targets[@]}"; do
    [ -x "$bin/fuzz_$name" ] || { echo "No fuzz target $name" >&2; exit 2; }
    runs+=("$name:seeds" "$name:empty")
done

started=$SECONDS
for run in "${runs[@]}"; do
    while [ "$(jobs -pr | wc -l)" -ge "$parallel" ]; do
        wait -n || true
    done
    run_one "${run%:*}" "${run#*:}" &
done
wait
echo "${#runs[@]} runs of $seconds s, $parallel at a time, in $((SECONDS - started)) s"
if [ -e "$scratch/failed" ]; then
    echo "Something was found: see build/fuzz/findings/" >&2
    exit 1
fi
