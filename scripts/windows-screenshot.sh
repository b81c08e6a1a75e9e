#!/usr/bin/env bash
# Pictures of the Windows program's window under Wine, for the README and for looking at:
#   scripts/windows-screenshot.sh BUILD_DIR OUTPUT_DIR
# BUILD_DIR is the cross build (build/mingw), with pelmora.exe and the test driver built.
# Writes OUTPUT_DIR/windows-empty.png, windows-example.png (R = 3, L = 5 calculated) and
# windows-failure.png (the failure box of «Вариант 2» with empty fields). The driver types
# and clicks, then reads the window's pixels from the screen. Needs the X display (DISPLAY)
# and the prepared prefix (WINEPREFIX, default build/wine/prefix) that ./test.sh uses.
set -euo pipefail
build=$(realpath "${1:?usage: windows-screenshot.sh BUILD_DIR OUTPUT_DIR}")
output=$(realpath "${2:?usage: windows-screenshot.sh BUILD_DIR OUTPUT_DIR}")
wine_sh="$(cd "$(dirname "$0")" && pwd)/wine.sh"
if [ -z "${DISPLAY:-}" ]; then
    echo "windows-screenshot.sh: no X display: start Xvfb and set DISPLAY first" >&2
    exit 1
fi
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
for pose in empty example failure; do
    "$wine_sh" "$build/tests/pelmora_driver.exe" "$build/app/pelmora.exe" \
        --pose "$pose" --shot "$pictures/$pose.bmp" | grep -E '^(FAIL|pelmora_driver)' || true
    # The fourth byte of each pixel is unused, not transparency.
    convert "$pictures/$pose.bmp" -alpha off "$output/windows-$pose.png"
    echo "$output/windows-$pose.png"
done
