#!/usr/bin/env bash
# Runs the Windows benchmark of the simulator link under Wine.
#   bench/wine_bench.sh <build-dir>
# Expects WINEPREFIX and DISPLAY to be set (./dev bench sets them).
set -euo pipefail

BUILD_DIR="${1:?usage: bench/wine_bench.sh <build-dir>}"
WINE="${WINE:-/usr/lib/wine/wine}"
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

echo "simulator link under Wine: one COM1 exchange against standin-sim.exe"
# Wine writes CR LF to the console.
"$WINE" "$BENCH" | tr -d '\r'
