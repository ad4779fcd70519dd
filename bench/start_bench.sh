#!/usr/bin/env bash
# Runs the start and steady-polling benchmark of brenvale.exe under Wine: start to the
# name box and to the main window against a minimal windowed program, then the
# processor time over 60 s of polling with COM1 unchanged.
#   bench/start_bench.sh <build-dir> [--runs N] [--cpu-seconds S]
# Expects WINEPREFIX and DISPLAY to be set (./dev bench sets them). The settings the
# benchmark writes in the prefix are put back as they were when it ends.
set -euo pipefail

BUILD_DIR="${1:?usage: bench/start_bench.sh <build-dir> [--runs N] [--cpu-seconds S]}"
shift
# shellcheck source=bench/wine_common.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine_common.sh"
export WINEDEBUG="${WINEDEBUG:--all}"

BENCH="$BUILD_DIR/brenvale_start_bench.exe"
WINE="$(wine_for "$BENCH")"
run_under_wine "$WINE" "$BENCH" "$@"
