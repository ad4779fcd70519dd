#!/usr/bin/env bash
# Runs the Windows benchmark of the simulator link under Wine.
#   bench/wine_bench.sh <build-dir>
# Expects WINEPREFIX and DISPLAY to be set (./dev bench sets them).
set -euo pipefail

BUILD_DIR="${1:?usage: bench/wine_bench.sh <build-dir>}"
# shellcheck source=bench/wine_common.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine_common.sh"
export WINEDEBUG="${WINEDEBUG:--all}"

BENCH="$BUILD_DIR/brenvale_wine_bench.exe"
WINE="$(wine_for "$BENCH")"
echo "simulator link under Wine: one COM1 exchange against standin-sim.exe"
run_under_wine "$WINE" "$BENCH"
