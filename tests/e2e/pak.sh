#!/usr/bin/env bash
# The pak tool: packing a folder and unpacking the archive gives the folder back byte for byte, an
# archive written by hand from the format reads the same, and damaged archives are refused.
set -euo pipefail
pak=$3/tools/pak
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Writes an archive from its plain content given in hex, scrambled byte by byte by offset.
write_archive() {
    local file=$1 hex=${2// /} escaped="" p=0
    for ((i = 0; i < ${#hex}; i += 2)); do
        escaped+=$(printf '\\x%02x' $(( 0x${hex:i:2} ^ ((3 * p) % 256) ^ 0xB3 )))
        p=$((p + 1))
    done
    printf "$escaped" > "$file"
}

# Round trip of a small data set.
mkdir -p "$work/data/properties" "$work/data/levels/sub"
printf '<trans/>\r\n' > "$work/data/properties/trans.xml"
: > "$work/data/levels/empty.txt"
head -c 70000 /dev/urandom > "$work/data/levels/sub/noise.bin"
printf 'with space' > "$work/data/a file.txt"
"$pak" create "$work/main.pak" "$work/data"
"$pak" list "$work/main.pak" > "$work/list.txt"
printf 'a file.txt\t10\nlevels\\empty.txt\t0\nlevels\\sub\\noise.bin\t70000\nproperties\\trans.xml\t10\n' > "$work/expected.txt"
cmp "$work/list.txt" "$work/expected.txt" || fail "list differs"
"$pak" extract "$work/main.pak" "$work/out"
diff -r "$work/data" "$work/out" || fail "extracted folder differs"

# The exact bytes for one file "a" holding "x" with the time 1970-01-01 (FILETIME 0x019DB1DED53E8000).
mkdir "$work/one"
printf 'x' > "$work/one/a"
touch -d @0 "$work/one/a"
"$pak" create "$work/one.pak" "$work/one"
write_archive "$work/expected.pak" "c04ac0ba 00000000 00 01 61 01000000 00803ed5deb19d01 80 78"
cmp "$work/one.pak" "$work/expected.pak" || fail "archive bytes differ from the format"

# A hand-made archive whose flags carry bits below the end flag reads the same.
write_archive "$work/hand.pak" "c04ac0ba 00000000 7f 03 415c42 02000000 0000000000000000 ff 6869"
"$pak" extract "$work/hand.pak" "$work/hand"
[ "$(cat "$work/hand/A/B")" = "hi" ] || fail "hand-made archive"

# Refusals: each gives a message and a non-zero exit, and writes nothing outside the target.
refuse() {
    local expected=$1
    shift
    if "$pak" "$@" 2> "$work/error.txt" > /dev/null; then
        fail "accepted: $*"
    fi
    grep -q "$expected" "$work/error.txt" || fail "message for $*: $(cat "$work/error.txt")"
}
printf 'not an archive at all' > "$work/text.pak"
size=$(stat -c %s "$work/main.pak")
head -c 40 "$work/main.pak" > "$work/cut-table.pak"
head -c $((size - 1)) "$work/main.pak" > "$work/cut-data.pak"
write_archive "$work/version.pak" "c04ac0ba 01000000 80"
write_archive "$work/unsafe.pak" "c04ac0ba 00000000 00 04 2e2e5c78 01000000 0000000000000000 80 79"
refuse "not a pak archive" list "$work/text.pak"
mkdir "$work/folder.pak"
refuse "cannot open" list "$work/folder.pak"
refuse "cannot open" list "$work/no-such.pak"
refuse "truncated" list "$work/cut-table.pak"
refuse "truncated" extract "$work/cut-data.pak" "$work/cut-out"
refuse "version 1" list "$work/version.pak"
refuse "refusing the entry name" extract "$work/unsafe.pak" "$work/unsafe-out"
[ ! -e "$work/x" ] || fail "an entry was written outside the target folder"
refuse "not a folder" create "$work/new.pak" "$work/no-such-folder"
refuse "usage" frobnicate
