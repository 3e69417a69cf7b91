#!/usr/bin/env bash
# Installs the packages of deps/debian-packages.txt that are missing; silent when none are.
set -euo pipefail
list="$(dirname "$0")/debian-packages.txt"
mapfile -t wanted < <(sed -e 's/#.*//' "$list" | tr -s ' \t' '\n' | sed '/^$/d')

installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${wanted[@]}" 2>/dev/null | awk '$2 == "installed" { print $1 }')
missing=()
for package in "${wanted[@]}"; do
    grep -qx "$package" <<<"$installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing ${#missing[@]} Debian packages: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
