#!/usr/bin/env bash
# The package set-up (deps/install.sh) against a list of its own, with apt-get, sudo and id replaced by
# recorders on the PATH: it asks apt for exactly the packages that are not installed, through sudo unless
# it runs as root, and names them; with nothing missing it is silent and calls nobody; when apt fails it
# stops with apt's own error.
set -euo pipefail
install=$2/deps/install.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Each recorder writes its command line to the log. apt-get fails like apt when told to, and id reports
# the user id the case chooses.
mkdir "$work/bin"
cat > "$work/bin/apt-get" <<'RECORDER'
#!/bin/sh
echo "apt-get $* (DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-})" >> "$RECORD"
if [ "$1" = "${FAIL_AT:-}" ]; then
    echo "E: Unable to locate package quendara-test-absent-one" >&2
    exit 100
fi
RECORDER
cat > "$work/bin/sudo" <<'RECORDER'
#!/bin/sh
echo "sudo" >> "$RECORD"
exec "$@"
RECORDER
cat > "$work/bin/id" <<'RECORDER'
#!/bin/sh
[ "$1" = -u ] && echo "$USER_ID"
RECORDER
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" RECORD="$work/record.txt"
# Only the install step asks for a non-interactive apt.
unset DEBIAN_FRONTEND

# dpkg is installed on every Debian system; the other two names are on none.
cat > "$work/list.txt" <<'LIST'
# a comment, then packages separated by blanks and tabs
quendara-test-absent-one dpkg	# after a package
	quendara-test-absent-two
LIST
printf '# nothing missing\ndpkg\n' > "$work/installed.txt"

# Runs the set-up with the user id and the apt step that fails; keeps its output and exit code.
run() {
    : > "$RECORD"
    status=0
    USER_ID=$1 FAIL_AT=${2:-} "$install" "$3" > "$work/out.txt" 2> "$work/err.txt" || status=$?
}
install_line="apt-get install -y -qq --no-install-recommends quendara-test-absent-one quendara-test-absent-two"
install_line+=" (DEBIAN_FRONTEND=noninteractive)"

run 0 "" "$work/list.txt"
[ "$status" = 0 ] || fail "as root: exit code $status: $(cat "$work/err.txt")"
printf '%s\n' "apt-get update -qq (DEBIAN_FRONTEND=)" "$install_line" | diff - "$RECORD" || fail "as root: apt calls"
grep -qx "Installing 2 missing Debian packages: quendara-test-absent-one quendara-test-absent-two" "$work/out.txt" ||
    fail "as root: not named: $(cat "$work/out.txt")"

run 1000 "" "$work/list.txt"
[ "$status" = 0 ] || fail "as a user: exit code $status: $(cat "$work/err.txt")"
printf '%s\n' sudo "apt-get update -qq (DEBIAN_FRONTEND=)" sudo "$install_line" | diff - "$RECORD" ||
    fail "as a user: apt calls"

run 1000 "" "$work/installed.txt"
[ "$status" = 0 ] || fail "nothing missing: exit code $status"
[ ! -s "$RECORD" ] && [ ! -s "$work/out.txt" ] && [ ! -s "$work/err.txt" ] || fail "nothing missing: not silent"

for step in update install; do
    run 0 "$step" "$work/list.txt"
    [ "$status" != 0 ] || fail "apt-get $step failed, yet the set-up succeeded"
    grep -qx "E: Unable to locate package quendara-test-absent-one" "$work/err.txt" || fail "apt-get $step: no apt error"
    grep -q "apt-get $step failed" "$work/err.txt" || fail "apt-get $step: no message: $(cat "$work/err.txt")"
done
[ "$(wc -l < "$RECORD")" = 2 ] || fail "the set-up went on after a failed install"

run 0 "" "$work/no-such-list.txt"
[ "$status" != 0 ] || fail "a missing list was accepted"
[ ! -s "$RECORD" ] || fail "a missing list called apt"
grep -q "no-such-list.txt" "$work/err.txt" || fail "a missing list: no message: $(cat "$work/err.txt")"
