#!/usr/bin/env bash
# Runs the black-box test of pelmora.exe under Wine:
#   tests/win32/run_driver.sh DRIVER.exe PELMORA.exe [--dpi N]
# It needs the X display (DISPLAY, Xvfb under ./test.sh) and the prepared Wine prefix
# (WINEPREFIX, by default build/wine/prefix) with its wineserver running. With --dpi N the
# prefix's DPI is set to N for this run and put back afterwards.
set -euo pipefail
driver=${1:?usage: run_driver.sh DRIVER.exe PELMORA.exe [--dpi N]}
program=${2:?usage: run_driver.sh DRIVER.exe PELMORA.exe [--dpi N]}
shift 2
wine_sh="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine.sh"
if [ -z "${DISPLAY:-}" ]; then
    echo "FAIL no X display: start Xvfb and set DISPLAY first" >&2
    exit 1
fi

# The expected numbers are written with the example settings (47.124, 1,000.000): the
# program runs as a user of Wine's default locale, whatever locale the caller has.
export LC_ALL=C.UTF-8

if [ "${1:-}" = --dpi ]; then
    dpi=$2
    key='HKCU\Control Panel\Desktop'
    old=$("$wine_sh" reg query "$key" /v LogPixels 2>/dev/null | tr -d '\r' |
        awk '/LogPixels/ { print $3 }' || true)
    restore() {
        if [ -n "$old" ]; then
            "$wine_sh" reg add "$key" /v LogPixels /t REG_DWORD /d "$((old))" /f >/dev/null 2>&1
        else
            "$wine_sh" reg delete "$key" /v LogPixels /f >/dev/null 2>&1
        fi
    }
    trap restore EXIT
    "$wine_sh" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
fi

"$wine_sh" "$driver" "$program" "$@"
