#!/usr/bin/env bash
# Runs a Windows program under Wine: scripts/wine.sh PROGRAM.exe [ARGUMENTS...]
# CTest's emulator for the cross build. The prefix is $WINEPREFIX, by default the one that
# ./test.sh prepares in build/wine/prefix; 64-bit only, Wine's own messages silenced.
# A non-zero exit status is also written as a line, so a test judged by its output sees it.
set -uo pipefail
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/wine/prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
wine "$@"
status=$?
if [ "$status" -ne 0 ]; then
    echo "wine.sh: $(basename "$1") exited with status $status" >&2
fi
exit "$status"
