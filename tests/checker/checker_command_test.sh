#!/usr/bin/env bash
# The native checker as a command: what lies past record 200 is counted without being
# held, the report is UTF-8 whatever the table's encoding, and a report the output refuses
# ends in exit status 2 with the reason on standard error.
#   checker_command_test.sh <brenvale-check>
set -euo pipefail

CHECKER="$(realpath "$1")"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
FAILURES=0

fail() {
    echo "FAIL: $*" >&2
    FAILURES=$((FAILURES + 1))
}

# run <expected status> <command...>: output in $WORK/out, errors in $WORK/err.
run() {
    local expected="$1" status=0
    shift
    "$@" >"$WORK/out" 2>"$WORK/err" || status=$?
    [ "$status" -eq "$expected" ] ||
        fail "$* gave exit status $status, not $expected: $(cat "$WORK/out" "$WORK/err")"
}

# 200 records, then a single field of 256 MB (a sparse run of NUL bytes, no comma): held
# as text it would need a gigabyte, far past the 192 MB the checker is given here.
for n in $(seq 0 199); do
    printf '1%02d.%02d,s,l,p,c,x\r\n' $((18 + n / 40)) $((n % 40 * 25 / 10))
done >"$WORK/long.txt"
truncate -s +256M "$WORK/long.txt"
run 1 bash -c 'ulimit -v 196608 && exec "$0" "$1"' "$CHECKER" "$WORK/long.txt"
grep -q 'ignores the rest of the file (1 more record); most of the file is never read: 268435456 ' \
    "$WORK/out" || fail "the long tail was not counted: $(cat "$WORK/out" "$WORK/err")"

# The same letters from an ANSI and from a UTF-16 table, written as UTF-8.
printf '122.80,M\xfcnchen,l,p,c,x\r\n' >"$WORK/ansi.txt"
printf '\xff\xfe1\x002\x002\x00.\x008\x000\x00,\x00M\x00\xfc\x00n\x00,\x00l\x00,\x00p\x00,\x00c\x00,\x00x\x00' \
    >"$WORK/utf16.txt"
for table in ansi utf16; do
    run 0 "$CHECKER" "$WORK/$table.txt"
    grep -q $'server "M\xc3\xbcn' "$WORK/out" || fail "$table table: $(cat "$WORK/out")"
done

run 2 bash -c 'exec "$0" "$1" >/dev/full' "$CHECKER" "$WORK/ansi.txt"
grep -q '^brenvale-check: cannot write the report: ' "$WORK/err" ||
    fail "a refused report: $(cat "$WORK/err")"

[ "$FAILURES" -eq 0 ] || exit 1
echo "the checker counts a long tail, writes UTF-8 and notices a refused report"
