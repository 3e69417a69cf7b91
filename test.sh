#!/usr/bin/env bash
# Sets up what is missing, builds everything with warnings as errors, and runs every test headless.
# Usage: ./test.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")"

deps/install.sh
cmake --preset release -DQUENDARA_WERROR=ON >/dev/null
cmake --build --preset release
ctest --preset release --parallel "$(nproc)" "$@"
