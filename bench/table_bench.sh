#!/usr/bin/env bash
# Runs the channel table load benchmark under Wine: peak memory and time of the load
# for a 14 KB table and for the same records followed by 700 MB.
#   bench/table_bench.sh <build-dir> [--runs N]
# Expects WINEPREFIX and DISPLAY to be set (./dev bench sets them).
set -euo pipefail

BUILD_DIR="${1:?usage: bench/table_bench.sh <build-dir> [--runs N]}"
shift
# shellcheck source=bench/wine_common.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine_common.sh"
export WINEDEBUG="${WINEDEBUG:--all}"

BENCH="$BUILD_DIR/brenvale_table_bench.exe"
WINE="$(wine_for "$BENCH")"
run_under_wine "$WINE" "$BENCH" "$@"
