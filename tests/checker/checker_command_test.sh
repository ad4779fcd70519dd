#!/usr/bin/env bash
# The native checker as a command: what lies past record 200 is counted without being
# held, the report is UTF-8 whatever the table's encoding, and a report the output refuses
# or a folder named for the table ends in exit status 2 with the reason on standard error.
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

# A character beyond U+FFFF from a UTF-16 table is written as itself; a lone high, a lone
# low (one that stands for a stray byte of a file name too) and a reversed pair are each
# shown by number, so the report stays UTF-8.
printf '\xff\xfe1\x002\x002\x00.\x008\x000\x00,\x00S\x00k\x00u\x00l\x00l\x00 \x00\x3d\xd8\x80\xdc,\x00a\x00\x00\xd8b\x00,\x00c\x00\x80\xdc,\x00\x80\xdc\x3d\xd8,\x00x\x00' \
    >"$WORK/surrogates.txt"
run 1 "$CHECKER" --show-passwords "$WORK/surrogates.txt"
grep -qF $'"122.80"  server "Skull \xf0\x9f\x92\x80", login "a<U+D800>b", password "c<U+DC80>", channel "<U+DC80><U+D83D>", sub-channel "x"' \
    "$WORK/out" || fail "surrogates: $(cat "$WORK/out")"
iconv -f UTF-8 -t UTF-8 "$WORK/out" >/dev/null || fail "surrogates: the report is not UTF-8"

# A file name that is not UTF-8 opens, and is shown with its own bytes.
stray="$WORK/$(printf 'caf\xe9.txt')"
cp "$WORK/ansi.txt" "$stray"
run 0 "$CHECKER" "$stray"
LC_ALL=C grep -aqxF "Channel table: $stray" "$WORK/out" || fail "a name not UTF-8: $(cat "$WORK/out")"

run 2 bash -c 'exec "$0" "$1" >/dev/full' "$CHECKER" "$WORK/ansi.txt"
grep -q '^brenvale-check: cannot write the report: ' "$WORK/err" ||
    fail "a refused report: $(cat "$WORK/err")"

# A folder is no table, as on Windows: not an empty one.
mkdir "$WORK/folder.txt"
run 2 "$CHECKER" "$WORK/folder.txt"
grep -qx "brenvale-check: cannot read $WORK/folder.txt: Is a directory" "$WORK/err" ||
    fail "a folder: $(cat "$WORK/out" "$WORK/err")"

[ "$FAILURES" -eq 0 ] || exit 1
echo "the checker counts a long tail, writes UTF-8, notices a refused report and a folder"
