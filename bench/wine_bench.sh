#!/usr/bin/env bash
# Runs the Windows benchmark of the simulator link under Wine.
#   bench/wine_bench.sh <build-dir>
# Expects WINEPREFIX and DISPLAY to be set (./dev bench sets them).
set -euo pipefail

BUILD_DIR="${1:?usage: bench/wine_bench.sh <build-dir>}"
BENCH="$BUILD_DIR/brenvale_wine_bench.exe"

if [ ! -f "$BENCH" ]; then
    echo "no $BENCH: build the Windows preset first" >&2
    exit 1
fi
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    echo "DISPLAY and WINEPREFIX must be set" >&2
    exit 1
fi
export WINEDEBUG="${WINEDEBUG:--all}"

# The machine field of the PE header: 014c for 32-bit programs, 8664 for 64-bit ones.
pe_machine() {
    local pe_offset
    pe_offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((pe_offset + 4)) -N2 "$1" | tr -d ' '
}

case "$(pe_machine "$BENCH")" in
    014c) WINE=/usr/lib/wine/wine ;;
    8664) WINE=/usr/lib/wine/wine64 ;;
    *) echo "$BENCH is no Windows program this script knows" >&2; exit 1 ;;
esac
if ! "$WINE" --version >/dev/null 2>&1; then
    echo "$WINE cannot run here (a kernel without 32-bit support?)" >&2
    exit 1
fi

echo "simulator link under Wine: one COM1 exchange against standin-sim.exe"
# Wine writes CR LF to the console. Output goes through a file: Wine's helper
# processes keep inherited pipes open after the benchmark ends.
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
rc=0
"$WINE" "$BENCH" >"$out" 2>&1 || rc=$?
tr -d '\r' <"$out"
exit "$rc"
