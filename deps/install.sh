#!/usr/bin/env bash
# Installs the packages of a package list (deps/debian-packages.txt unless one is given) that are missing.
# Silent when none are; names the ones it installs; stops with apt's own error when installing fails.
set -euo pipefail
list="${1:-$(dirname "$0")/debian-packages.txt}"
if [ ! -r "$list" ]; then
    echo "deps/install.sh: cannot read the package list $list" >&2
    exit 1
fi
mapfile -t wanted < <(sed -e 's/#.*//' "$list" | tr -s ' \t' '\n' | sed '/^$/d')

# dpkg-query exits non-zero for a package it has never seen, yet still lists the ones it knows.
installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${wanted[@]}" 2>/dev/null || true)
missing=()
for package in "${wanted[@]}"; do
    grep -qx "$package installed" <<<"$installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing ${#missing[@]} missing Debian packages: ${missing[*]}"
fail() {
    echo "deps/install.sh: $1 failed; the packages above are not installed" >&2
    exit 1
}
"${sudo[@]}" apt-get update -qq || fail "apt-get update"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
    fail "apt-get install"
