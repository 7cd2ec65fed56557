#!/bin/sh
# The command line: --help and --version answer without a display; one saved game may be
# named (tst_endtoend opens it); anything else is refused with the usage on stderr and status 2
# before a window opens.
korvane=$1
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# No display of any kind: had Qt been started, it would have aborted.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$korvane" --version) ||
    fail "--version exited with $?"
echo "$out" | grep -Eqx 'Korvane - Palveri Solitaire [0-9]+\.[0-9]{2}' ||
    fail "--version printed '$out'"

out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$korvane" --help) ||
    fail "--help exited with $?"
echo "$out" | grep -q -- '--version' || fail "--help printed '$out'"

err=$("$korvane" --no-such-option 2>&1 >/dev/null)
status=$?
[ "$status" -eq 2 ] || fail "an unknown option exited with $status"
echo "$err" | grep -q '^Usage: korvane' || fail "an unknown option printed '$err'"
echo "$err" | grep -q -- '--no-such-option' || fail "the refusal does not name the option"

err=$("$korvane" one.KVN two.KVN 2>&1 >/dev/null)
status=$?
[ "$status" -eq 2 ] || fail "two files exited with $status"
echo "$err" | grep -q "'two.KVN'" || fail "the refusal of a second file printed '$err'"
