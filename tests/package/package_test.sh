#!/usr/bin/env bash
# Unpacks the release zip and checks what it holds: the right programs for the right
# processor, stripped, needing no DLL beyond Windows' own; the guide, the sample table
# and the settings' removal as Windows text; the sample clean for the checker; and an
# update unpacked over the folder keeping the pilot's own tables.
#   package_test.sh <source-dir> <build-root> [<native brenvale-check>]
# The zip named by BRENVALE_PACKAGE_ZIP is checked as it is. Otherwise tools/package.sh
# makes one into a temporary folder from <build-root>/win32 and <build-root>/win64;
# without those two builds the test is skipped (exit 77).
set -euo pipefail

SKIPPED=77
SOURCE="$1"
BUILD_ROOT="$2"
NATIVE_CHECKER="${3:-}"
[ -z "$NATIVE_CHECKER" ] || NATIVE_CHECKER="$(realpath "$NATIVE_CHECKER")"
FAILURES=0

fail() {
    echo "FAIL: $*" >&2
    FAILURES=$((FAILURES + 1))
}

skip() {
    echo "skipped: $*"
    exit "$SKIPPED"
}

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

version="$(sed -n 's/^project([^)]*VERSION \([0-9][0-9.]*\).*/\1/p' "$SOURCE/CMakeLists.txt" | head -n 1)"
# The sample's source as tools/package.sh names it (the zip keeps its file name), and the
# table the program reads, as app/ChannelTable.h names it.
sample_source="$(sed -n 's/^SAMPLE_TABLE=\([^ ]*\)$/\1/p' "$SOURCE/tools/package.sh")"
sample="$(basename "${sample_source:-none}")"
table="$(sed -n 's/^inline constexpr wchar_t kChannelTableFile\[\] = L"\\\\\([^"\\]*\)";$/\1/p' \
    "$SOURCE/app/ChannelTable.h")"
[ -n "$sample_source" ] && [ -n "$table" ] || {
    echo "FAIL: no SAMPLE_TABLE= in tools/package.sh or no kChannelTableFile in app/ChannelTable.h" >&2
    exit 1
}
[ "$sample" != "$table" ] || { echo "FAIL: the sample is shipped as $table, the pilot's table" >&2; exit 1; }
command -v unzip >/dev/null || skip "unzip is not installed"

if [ -n "${BRENVALE_PACKAGE_ZIP:-}" ]; then
    zip_file="$(realpath "$BRENVALE_PACKAGE_ZIP")"
else
    [ -f "$BUILD_ROOT/win32/brenvale.exe" ] && [ -f "$BUILD_ROOT/win64/brenvale.exe" ] ||
        skip "no Windows builds in $BUILD_ROOT/win32 and $BUILD_ROOT/win64"
    command -v zip >/dev/null || skip "zip is not installed"
    if ! "$SOURCE/tools/package.sh" "$BUILD_ROOT" "$WORK/dist" >"$WORK/package.log" 2>&1; then
        cat "$WORK/package.log" >&2
        echo "FAIL: tools/package.sh did not make the zip" >&2
        exit 1
    fi
    cat "$WORK/package.log"
    zip_file="$WORK/dist/brenvale-$version.zip"

    # A step that fails stops packaging: here objdump cannot read one import table.
    mkdir "$WORK/stub"
    printf '#!/bin/sh\n[ "$1" = -p ] && exit 1\nexec %s "$@"\n' \
        "$(command -v x86_64-w64-mingw32-objdump)" >"$WORK/stub/x86_64-w64-mingw32-objdump"
    chmod +x "$WORK/stub/x86_64-w64-mingw32-objdump"
    status=0
    PATH="$WORK/stub:$PATH" "$SOURCE/tools/package.sh" "$BUILD_ROOT" "$WORK/failed" \
        >"$WORK/failed.log" 2>&1 || status=$?
    [ "$status" -ne 0 ] && grep -q 'objdump -p .* failed' "$WORK/failed.log" &&
        [ ! -e "$WORK/failed/brenvale-$version.zip" ] ||
        fail "a failing objdump -p: exit $status, $(ls "$WORK/failed"), $(cat "$WORK/failed.log")"
fi

[ "$(basename "$zip_file")" = "brenvale-$version.zip" ] ||
    fail "the zip is named $(basename "$zip_file"), not brenvale-$version.zip"
unzip -tq "$zip_file" >/dev/null || fail "the zip does not test sound"
mkdir "$WORK/unpacked"
unzip -q "$zip_file" -d "$WORK/unpacked"
cd "$WORK/unpacked"

# ---- exactly the expected files
expected="$(LC_ALL=C sort <<EOF
README.txt
brenvale-check.exe
brenvale.exe
$sample
remove-brenvale-settings.reg
standin-sim.exe
x64/brenvale-check.exe
x64/brenvale.exe
x64/$sample
x64/standin-sim.exe
EOF
)"
actual="$(find . -type f | sed 's|^\./||' | LC_ALL=C sort)"
[ "$actual" = "$expected" ] || fail "the zip holds:
$actual
instead of:
$expected"

# ---- the programs
ALLOWED_DLLS=" $(grep -Ev '^[[:space:]]*(#|$)' "$SOURCE/tools/windows-dlls.txt" |
    tr 'A-Z\n' 'a-z ') "
# check_program <file> <object format> <subsystem number>
check_program() {
    local file="$1" format="$2" subsystem="$3" prefix headers dlls dll
    [ -f "$file" ] || return 0
    case "$format" in
        pei-i386) prefix=i686-w64-mingw32 ;;
        *) prefix=x86_64-w64-mingw32 ;;
    esac
    "$prefix-objdump" -f "$file" | grep -q "file format $format" || fail "$file is not $format"
    headers="$("$prefix-objdump" -p "$file")"
    grep -Eq "^Subsystem[[:space:]]+0*$subsystem[[:space:]]" <<<"$headers" ||
        fail "$file does not have subsystem $subsystem"
    if "$prefix-objdump" -h "$file" | grep -q '\.debug_'; then
        fail "$file is not stripped"
    fi
    dlls="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr -d '\r')"
    [ -n "$dlls" ] || fail "$file imports no DLL (objdump read no import table)"
    for dll in $dlls; do
        case "$ALLOWED_DLLS" in
            *" ${dll,,} "*) ;;
            *) fail "$file imports $dll, which is not in tools/windows-dlls.txt" ;;
        esac
    done
}

for folder in . x64; do
    format=pei-i386
    [ "$folder" = x64 ] && format=pei-x86-64
    check_program "$folder/brenvale.exe" "$format" 2       # a window program
    check_program "$folder/standin-sim.exe" "$format" 2
    check_program "$folder/brenvale-check.exe" "$format" 3 # a console program
done

# The program's resources, static data read from the file: two icon images (32x32 at 1 and
# 4 bits per pixel, 304 and 744 bytes) and their group, the version information, and a
# manifest that asks for no elevation and knows each monitor's dpi.
check_resources() {
    local file="$1" prefix="$2" table
    [ -f "$file" ] || return 0
    table="$("$prefix-objdump" -p "$file" | sed -n '/Resource Directory section/,$p')"
    [ "$(grep -o 'Size: 0x[0-9a-f]*' <<<"$table" | head -n 2 | tr '\n' ' ')" = \
        "Size: 0x000130 Size: 0x0002e8 " ] || fail "$file: the icon images are not 1 and 4 bits"
    for type in 00000e 000010 000018; do
        grep -q "^0[0-9a-f]*   Entry: ID: 0x$type," <<<"$table" || fail "$file: no resource $type"
    done
    grep -aq asInvoker "$file" && grep -aq PerMonitorV2 "$file" || fail "$file: manifest"
}
check_resources brenvale.exe i686-w64-mingw32
check_resources x64/brenvale.exe x86_64-w64-mingw32

# The 32-bit brenvale.exe within the limit tools/package.sh enforces, read from there.
limit="$(sed -n 's/^MAX_MAIN_PROGRAM_BYTES=\$((\([0-9]*\) \* 1024))$/\1/p' "$SOURCE/tools/package.sh")"
[ -n "$limit" ] || fail "no MAX_MAIN_PROGRAM_BYTES=\$((N * 1024)) in tools/package.sh"
size="$(stat -c %s brenvale.exe 2>/dev/null || echo 0)"
[ "$size" -le $((${limit:-0} * 1024)) ] || fail "brenvale.exe is $size bytes, more than $limit KiB"

# ---- the texts: Windows line ends, the same words as in the source
# check_text <file in zip> <source file>
check_text() {
    local file="$1" source="$2" lines crlf
    [ -f "$file" ] || return 0
    lines="$(grep -c '' "$file")"
    crlf="$(grep -c $'\r$' "$file" || true)"
    [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] ||
        fail "$file: $crlf of its $lines lines end in CR LF"
    [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" = '\r\n' ] ||
        fail "$file does not end with a line end"
    cmp -s <(tr -d '\r' <"$file") <(tr -d '\r' <"$source") || fail "$file differs from $source"
}
check_text README.txt "$SOURCE/docs/user-guide.txt"
check_text "$sample" "$SOURCE/$sample_source"
cmp -s "$sample" "x64/$sample" || fail "x64/$sample differs from $sample"
grep -q "$sample" README.txt || fail "README.txt never names $sample"
check_text remove-brenvale-settings.reg "$SOURCE/tools/sample/remove-brenvale-settings.reg"

# ---- the settings' removal: regedit's header, then the program's own key removed and
# nothing else (the shared parent key stays). The key is read from where the program
# names it, the application in app/SettingsNames.h and the path in the settings store.
settings_key() {
    local parent application
    parent="$(sed -n 's/^ *return L"\(Software\\\\.*\)\\\\" + application + .*/\1/p' \
        "$SOURCE/platform/win32/Win32SettingsStore.cpp")"
    application="$(sed -n 's/^constexpr wchar_t kApplication\[\] = L"\([^"\\]*\)";$/\1/p' \
        "$SOURCE/app/SettingsNames.h")"
    [ -n "$parent" ] && [ -n "$application" ] || return 1
    printf '%s\n' "HKEY_CURRENT_USER\\${parent//\\\\/\\}\\$application"
}
if [ -f remove-brenvale-settings.reg ]; then
    if ! key="$(settings_key)"; then
        fail "the settings key: no kApplication in app/SettingsNames.h or no path in" \
            "platform/win32/Win32SettingsStore.cpp"
    else
        reg="$(tr -d '\r' <remove-brenvale-settings.reg)"
        LC_ALL=C grep -q '[^[:print:]]' <<<"$reg" && fail "remove-brenvale-settings.reg: not ASCII"
        # Everything regedit acts on: each line that is neither blank nor a comment.
        acted="$(grep -Ev '^(;.*)?$' <<<"$reg" || true)"
        [ "$acted" = "Windows Registry Editor Version 5.00
[-$key]" ] || fail "remove-brenvale-settings.reg does not remove exactly [-$key]:
$acted"
        [ "$(head -n 1 <<<"$reg")" = "Windows Registry Editor Version 5.00" ] ||
            fail "remove-brenvale-settings.reg does not begin with regedit's header"
    fi
fi

# ---- an update: the zip unpacked over a folder where the pilot keeps tables of their
# own, replacing every file, leaves those tables as they were and brings the sample
update_keeps_the_tables() {
    local folder="$WORK/update" own
    unzip -q "$zip_file" -d "$folder"
    printf '130.00,club.example,me,"my, secret",Club,Room\r\n' >"$folder/$table"
    printf '118.10,x64.example,me,pw,Tower,\r\n' >"$folder/x64/$table"
    cp "$folder/$table" "$WORK/own.txt"
    cp "$folder/x64/$table" "$WORK/own-x64.txt"
    # An edited sample shows that the second unpacking does replace what the zip holds.
    echo edited >"$folder/$sample"
    unzip -o -q "$zip_file" -d "$folder"
    echo "Update: the zip unpacked again over the folder, every file replaced (unzip -o):"
    for own in "$table:own.txt" "x64/$table:own-x64.txt"; do
        if cmp -s "$folder/${own%%:*}" "$WORK/${own#*:}"; then
            echo "  ${own%%:*}: the pilot's own, $(stat -c %s "$folder/${own%%:*}") bytes, as it was"
        else
            fail "${own%%:*}, the pilot's own table, was changed by the update"
        fi
    done
    for own in "$sample" "x64/$sample"; do
        if cmp -s "$folder/$own" "$own"; then
            echo "  $own: the zip's sample"
        else
            fail "$own after the update is not the zip's sample"
        fi
    done
}
update_keeps_the_tables

# ---- the sample table as the checker sees it, and the checker's other exit statuses
if [ -n "$NATIVE_CHECKER" ] && [ -f "$sample" ]; then
    status=0
    "$NATIVE_CHECKER" "$sample" --frequency 122.80 >"$WORK/check.txt" || status=$?
    [ "$status" -eq 0 ] || { cat "$WORK/check.txt"; fail "the sample table gives warnings"; }
    printf '122.8,s,l,p,c,x\r\n' >"$WORK/warned.txt"
    status=0
    "$NATIVE_CHECKER" "$WORK/warned.txt" >"$WORK/check.txt" || status=$?
    [ "$status" -eq 1 ] && grep -q '^  record 1, line 1: frequency "122.8"' "$WORK/check.txt" ||
        fail "a table with a warning: exit status $status, $(cat "$WORK/check.txt")"
    status=0
    "$NATIVE_CHECKER" "$sample" --frequency=122.8 2>"$WORK/check.txt" || status=$?
    [ "$status" -eq 2 ] && grep -q '^Usage: brenvale-check' "$WORK/check.txt" ||
        fail "a wrong frequency: exit status $status, $(cat "$WORK/check.txt")"
fi

# ---- the shipped 64-bit checker on the Windows side, when a Wine prefix is at hand
# shellcheck source=tools/wine.sh
. "$SOURCE/tools/wine.sh"
if [ -x "$WINE64" ] && [ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX/system.reg" ] &&
    [ -f x64/brenvale-check.exe ] && [ -f "x64/$sample" ]; then
    # As the guide's first steps do: the sample made the table, which the checker reads
    # beside itself when no table is named.
    cp "x64/$sample" "x64/$table"
    status=0
    (cd x64 && WINEDEBUG=-all timeout 120 "$WINE64" brenvale-check.exe --frequency 122.80) \
        >"$WORK/wine-out.txt" 2>"$WORK/wine-err.txt" || status=$?
    [ "$status" -eq 0 ] || fail "x64/brenvale-check.exe on the sample as $table: exit status $status"
    grep -q $'teamspeak.exe "voice.example.net?nickname=Pilot?.*"\r$' "$WORK/wine-out.txt" ||
        fail "x64/brenvale-check.exe did not show the command line: $(cat "$WORK/wine-out.txt")"
    status=0
    (cd x64 && WINEDEBUG=-all timeout 120 "$WINE64" brenvale-check.exe missing.txt) \
        >"$WORK/wine-out.txt" 2>"$WORK/wine-err.txt" || status=$?
    [ "$status" -eq 2 ] || fail "x64/brenvale-check.exe on a missing file: exit status $status"
    grep -q $'cannot read missing.txt: [A-Z].*\r$' "$WORK/wine-err.txt" ||
        fail "x64/brenvale-check.exe gave no reason: $(cat "$WORK/wine-err.txt")"
else
    echo "note: no Wine prefix at hand; the shipped checker was not run"
fi

if [ "$FAILURES" -gt 0 ]; then
    echo "$FAILURES problems in $(basename "$zip_file")" >&2
    exit 1
fi
echo "$(basename "$zip_file"): contents as expected"
