#!/usr/bin/env bash
# Makes the release zip from the Windows builds:
#   tools/package.sh <build-root> <dist-dir>
# <build-root>/win32 and <build-root>/win64 must hold the built programs. Writes
# <dist-dir>/brenvale-<version>.zip, the version taken from the project() line of
# CMakeLists.txt. Prints each program's size and imported DLLs, and fails (writing no
# zip) when a program needs a DLL that Windows 7 does not ship or the 32-bit
# brenvale.exe is larger than 127 KiB.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
MAX_MAIN_PROGRAM_BYTES=$((127 * 1024))
PROGRAMS=(brenvale.exe brenvale-check.exe standin-sim.exe)

# DLLs that every Windows from 7 on ships. The API-set names (api-ms-win-*) are not
# among them: they exist only on later systems or with the Universal CRT installed.
ALLOWED_DLLS=" kernel32.dll user32.dll gdi32.dll shell32.dll ole32.dll oleaut32.dll
    advapi32.dll comctl32.dll comdlg32.dll shlwapi.dll msvcrt.dll version.dll winmm.dll
    ws2_32.dll uxtheme.dll "

die() { echo "package: $*" >&2; exit 1; }

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
    local from="$1" to="$2" prefix="$3" format="$4" program
    mkdir -p "$to"
    for program in "${PROGRAMS[@]}"; do
        [ -f "$from/$program" ] || die "$from/$program is missing: build it first (./dev build)"
        "$prefix-objdump" -f "$from/$program" | grep -q "file format $format" ||
            die "$from/$program is not a $format program"
        "$prefix-strip" -o "$to/$program" "$from/$program"
    done
}

imported_dlls() { # prefix program
    "$1-objdump" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r' | sort -f
}

# Prints one line per program and returns non-zero when a rule is broken.
check_programs() { # staging-folder
    local stage="$1" failed=0 entry prefix program bytes dlls dll
    printf '%-24s %9s %8s  %s\n' program bytes KiB "imported DLLs"
    for entry in "${PROGRAMS[@]/#/i686-w64-mingw32:}" "${PROGRAMS[@]/#/x86_64-w64-mingw32:x64/}"; do
        prefix="${entry%%:*}"
        program="${entry#*:}"
        bytes="$(stat -c %s "$stage/$program")"
        dlls="$(imported_dlls "$prefix" "$stage/$program")"
        printf '%-24s %9d %8s  %s\n' "$program" "$bytes" \
            "$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1024 }')" "$(echo $dlls)"
        for dll in $dlls; do
            case " $(echo $ALLOWED_DLLS) " in
                *" ${dll,,} "*) ;;
                *)
                    echo "package: $program imports $dll, which Windows 7 does not ship" >&2
                    failed=1
                    ;;
            esac
        done
    done
    bytes="$(stat -c %s "$stage/brenvale.exe")"
    if [ "$bytes" -gt "$MAX_MAIN_PROGRAM_BYTES" ]; then
        echo "package: brenvale.exe is $bytes bytes, more than 127 KiB" \
            "($MAX_MAIN_PROGRAM_BYTES bytes)" >&2
        failed=1
    fi
    return "$failed"
}

main() {
    [ $# -eq 2 ] || usage
    local build_root="$1" dist="$2" version zip_file
    version="$(project_version)"
    require_tools
    [ -f "$ROOT/tools/sample/README.txt" ] || die "tools/sample/README.txt is missing"

    # The same sources give the same zip: one time for the programs' headers (strip
    # honours SOURCE_DATE_EPOCH) and the files, a fixed order, no extra attributes.
    SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null ||
        date +%s)}"
    export SOURCE_DATE_EPOCH
    STAGE="$(mktemp -d)"
    trap 'rm -rf "$STAGE"' EXIT
    stage_programs "$build_root/win32" "$STAGE" i686-w64-mingw32 pei-i386
    stage_programs "$build_root/win64" "$STAGE/x64" x86_64-w64-mingw32 pei-x86-64
    copy_as_windows_text "$ROOT/tools/sample/README.txt" "$STAGE/README.txt"
    copy_as_windows_text "$ROOT/tools/sample/brenvale.txt" "$STAGE/brenvale.txt"
    # Each brenvale.exe reads the table beside itself, so the 64-bit one gets a copy too.
    cp "$STAGE/brenvale.txt" "$STAGE/x64/brenvale.txt"

    echo "Brenvale $version"
    check_programs "$STAGE" || die "the release rules are broken; no zip written"

    find "$STAGE" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    mkdir -p "$dist"
    zip_file="$(cd "$dist" && pwd)/brenvale-$version.zip"
    rm -f "$zip_file"
    (cd "$STAGE" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | zip -X -q -D "$zip_file" -@)
    echo "wrote $zip_file ($(stat -c %s "$zip_file") bytes)"
}

main "$@"
