#!/usr/bin/env bash
# Makes the release zip from the Windows builds:
#   tools/package.sh <build-root> <dist-dir>
# <build-root>/win32 and <build-root>/win64 must hold the built programs. Writes
# <dist-dir>/brenvale-<version>.zip, the version taken from the project() line of
# CMakeLists.txt. Prints each program's size and imported DLLs, and fails (writing no
# zip) when a program imports a DLL not in tools/windows-dlls.txt or the 32-bit
# brenvale.exe is larger than MAX_MAIN_PROGRAM_BYTES. Any step that fails stops it with
# a message and a non-zero exit, and no zip is left behind.
set -euo pipefail
# Command substitutions stop on a failure inside them too, not only on their last command.
shopt -s inherit_errexit

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
MAX_MAIN_PROGRAM_BYTES=$((129 * 1024))
PROGRAMS=(brenvale.exe brenvale-check.exe standin-sim.exe)
# The sample channel table, shipped under its own name beside each brenvale.exe: the zip
# holds no brenvale.txt, so unpacking a newer one over the folder keeps the pilot's table.
SAMPLE_TABLE=tools/sample/brenvale-sample.txt

ALLOWED_DLLS_FILE="$ROOT/tools/windows-dlls.txt"

die() { echo "package: $*" >&2; exit 1; }

# Whatever ends the script early, it says so (a failing tool may print nothing).
report_stop() {
    local status=$?
    rm -rf "${STAGE:-}"
    [ "$status" -eq 0 ] || echo "package: stopped with exit status $status; no zip written" >&2
}

usage() {
    echo "usage: tools/package.sh <build-root> <dist-dir>" >&2
    exit 2
}

project_version() {
    local version
    version="$(sed -n 's/^project([^)]*VERSION \([0-9][0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt" |
        head -n 1)"
    [ -n "$version" ] || die "no VERSION in the project() line of CMakeLists.txt"
    echo "$version"
}

require_tools() {
    local tool
    for tool in zip i686-w64-mingw32-strip i686-w64-mingw32-objdump x86_64-w64-mingw32-strip \
        x86_64-w64-mingw32-objdump; do
        command -v "$tool" >/dev/null || die "$tool is not installed (./dev package installs it)"
    done
}

# Windows text: every line ends in CR LF, whatever the source file has.
copy_as_windows_text() { # source destination
    sed -e 's/\r*$/\r/' "$1" >"$2"
}

# stage_programs <build-folder> <staging-folder> <toolchain prefix> <object format>
stage_programs() {
    local from="$1" to="$2" prefix="$3" format="$4" program header
    mkdir -p "$to"
    for program in "${PROGRAMS[@]}"; do
        [ -f "$from/$program" ] || die "$from/$program is missing: build it first (./dev build)"
        header="$("$prefix-objdump" -f "$from/$program")" ||
            die "$prefix-objdump -f $from/$program failed"
        grep -q "file format $format" <<<"$header" || die "$from/$program is not a $format program"
        "$prefix-strip" -o "$to/$program" "$from/$program"
    done
}

allowed_dlls() {
    grep -Ev '^[[:space:]]*(#|$)' "$ALLOWED_DLLS_FILE" | tr 'A-Z' 'a-z'
}

imported_dlls() { # prefix program
    local headers
    headers="$("$1-objdump" -p "$2")" || die "$1-objdump -p $2 failed"
    sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr -d '\r' | sort -f
}

# Prints one line per program and counts the broken rules in RULES_BROKEN. It is called
# as a plain command, never in a || or an if, so that set -e holds inside it.
RULES_BROKEN=0
check_programs() { # staging-folder
    local stage="$1" entry prefix program bytes kib dlls dll allowed
    allowed=" $(allowed_dlls | tr '\n' ' ') "
    [ "$allowed" != "  " ] || die "$ALLOWED_DLLS_FILE lists no DLL"
    printf '%-24s %9s %8s  %s\n' program bytes KiB "imported DLLs"
    for entry in "${PROGRAMS[@]/#/i686-w64-mingw32:}" "${PROGRAMS[@]/#/x86_64-w64-mingw32:x64/}"; do
        prefix="${entry%%:*}"
        program="${entry#*:}"
        bytes="$(stat -c %s "$stage/$program")"
        kib="$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1024 }')"
        dlls="$(imported_dlls "$prefix" "$stage/$program")"
        [ -n "$dlls" ] || die "$program imports no DLL: its import table was not read"
        printf '%-24s %9d %8s  %s\n' "$program" "$bytes" "$kib" "$(echo $dlls)"
        for dll in $dlls; do
            case "$allowed" in
                *" ${dll,,} "*) ;;
                *)
                    echo "package: $program imports $dll, not in tools/windows-dlls.txt" >&2
                    RULES_BROKEN=$((RULES_BROKEN + 1))
                    ;;
            esac
        done
    done
    bytes="$(stat -c %s "$stage/brenvale.exe")"
    if [ "$bytes" -gt "$MAX_MAIN_PROGRAM_BYTES" ]; then
        echo "package: brenvale.exe is $bytes bytes, more than" \
            "$((MAX_MAIN_PROGRAM_BYTES / 1024)) KiB ($MAX_MAIN_PROGRAM_BYTES bytes)" >&2
        RULES_BROKEN=$((RULES_BROKEN + 1))
    fi
}

main() {
    [ $# -eq 2 ] || usage
    local build_root="$1" dist="$2" version zip_file
    trap report_stop EXIT
    version="$(project_version)"
    require_tools
    local text
    for text in docs/user-guide.txt "$SAMPLE_TABLE" tools/sample/remove-brenvale-settings.reg; do
        [ -f "$ROOT/$text" ] || die "$text is missing"
    done
    # An old zip must not pass for this run's result when this run fails.
    mkdir -p "$dist"
    zip_file="$(cd "$dist" && pwd)/brenvale-$version.zip"
    rm -f "$zip_file"

    # The same sources give the same zip: one time for the programs' headers (strip
    # honours SOURCE_DATE_EPOCH) and the files, a fixed order, no extra attributes.
    SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null ||
        date +%s)}"
    export SOURCE_DATE_EPOCH
    STAGE="$(mktemp -d)"
    local files="$STAGE/files"
    stage_programs "$build_root/win32" "$files" i686-w64-mingw32 pei-i386
    stage_programs "$build_root/win64" "$files/x64" x86_64-w64-mingw32 pei-x86-64
    copy_as_windows_text "$ROOT/docs/user-guide.txt" "$files/README.txt"
    local sample
    sample="$(basename "$SAMPLE_TABLE")"
    copy_as_windows_text "$ROOT/$SAMPLE_TABLE" "$files/$sample"
    # Removes the program's settings by double-click (regedit reads ANSI text too).
    copy_as_windows_text "$ROOT/tools/sample/remove-brenvale-settings.reg" \
        "$files/remove-brenvale-settings.reg"
    # Each brenvale.exe reads the table beside itself, so the 64-bit one's folder gets the
    # sample too.
    cp "$files/$sample" "$files/x64/$sample"

    echo "Brenvale $version"
    check_programs "$files"
    [ "$RULES_BROKEN" -eq 0 ] || die "$RULES_BROKEN release rules broken"

    find "$files" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    # Made aside and moved in whole, so a zip in <dist-dir> is always a complete one.
    (cd "$files" && find . -type f | sed 's|^\./||' | LC_ALL=C sort |
        zip -X -q -D "$STAGE/release.zip" -@)
    mv "$STAGE/release.zip" "$zip_file"
    echo "wrote $zip_file ($(stat -c %s "$zip_file") bytes)"
}

main "$@"
