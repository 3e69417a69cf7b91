#!/usr/bin/env bash
# The program starts and names itself.
set -euo pipefail
program=$1
"$program" | grep -qx "Quendara v.1.3"
