#!/usr/bin/env bash
# Sets up what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")"

deps/install.sh
cmake --preset release >/dev/null
cmake --build --preset release --target quendara
exec build/release/quendara "$@"
