#!/usr/bin/env bash
# Start-up of pelmora.exe against bare_window_win32.exe under Wine: alternating runs, each
# timed from CreateProcess to the window being shown and to its background showing on the
# screen, with the peak working set then (bench/startup_probe_win32.cpp).
#   bench/startup_wine.sh [RUNS]      (default 15)
# Cross-builds build/windows-bench (Release) first. Needs the X display and the prepared
# Wine prefix with its wineserver running (DISPLAY, WINEPREFIX): run it in the Wine session
# of the Windows tests.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
runs=${1:-15}
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    echo "startup_wine.sh: needs DISPLAY and WINEPREFIX (the Wine session of the tests)" >&2
    exit 1
fi
pelmora_build build/windows-bench --toolchain cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DPELMORA_BUILD_BENCH=ON
scripts/wine.sh build/windows-bench/bench/startup_probe_win32.exe "$runs" C0C0FF \
    build/windows-bench/app/pelmora.exe build/windows-bench/bench/bare_window_win32.exe
