#!/usr/bin/env bash
# Runs the black-box test of pelmora.exe under Wine:
#   tests/win32/run_driver.sh DRIVER.exe PELMORA.exe [--windows VERSION] [--dpi N]
# It needs the X display (DISPLAY, Xvfb under ./test.sh) and the prepared Wine prefix
# (WINEPREFIX, the Wine session's) with its wineserver running. With --dpi N the
# prefix's DPI is N for this run; with --windows VERSION Wine reports that Windows version.
set -euo pipefail
driver=${1:?usage: run_driver.sh DRIVER.exe PELMORA.exe [--windows VERSION] [--dpi N]}
program=${2:?usage: run_driver.sh DRIVER.exe PELMORA.exe [--windows VERSION] [--dpi N]}
shift 2
wine_sh="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine.sh"
if [ -z "${DISPLAY:-}" ]; then
    echo "FAIL no X display: start Xvfb and set DISPLAY first" >&2
    exit 1
fi

# The expected numbers are written with the example settings (47.124, 1,000.000): the
# program runs as a user of Wine's default locale, whatever locale the caller has.
export LC_ALL=C.UTF-8

# A registry value of the prefix set for this run only, and put back afterwards.
saved=()  # key, name, type and old value (empty where there was none), four at a time
set_for_run() {  # KEY NAME TYPE DATA
    local old
    old=$("$wine_sh" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { print $3 }' || true)
    [ "$3" = REG_DWORD ] && [ -n "$old" ] && old=$((old))  # reg query writes it in hex
    saved+=("$1" "$2" "$3" "$old")
    "$wine_sh" reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1
}
restore() {
    local i
    for ((i = 0; i < ${#saved[@]}; i += 4)); do
        if [ -n "${saved[i + 3]}" ]; then
            "$wine_sh" reg add "${saved[i]}" /v "${saved[i + 1]}" /t "${saved[i + 2]}" \
                /d "${saved[i + 3]}" /f >/dev/null 2>&1 || true
        else
            "$wine_sh" reg delete "${saved[i]}" /v "${saved[i + 1]}" /f >/dev/null 2>&1 || true
        fi
    done
}
trap restore EXIT

# --windows VERSION (win7, win8, win81, win10): Wine reports that version of Windows; the
# driver does not see this option.
if [ "${1:-}" = --windows ]; then
    set_for_run 'HKCU\Software\Wine' Version REG_SZ "$2"
    case $2 in win7) number=6.1 ;; win8) number=6.2 ;; win81) number=6.3 ;; *) number=10.0 ;; esac
    reported=$("$wine_sh" cmd /c ver 2>/dev/null | tr -d '\r' | grep -m1 Windows || true)
    case $reported in
        *" $number."*) echo "Wine reports $reported" ;;
        *) echo "FAIL Wine reports '$reported', not Windows $number" && exit 1 ;;
    esac
    shift 2
fi
if [ "${1:-}" = --dpi ]; then
    set_for_run 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$2"
fi

# A driver still running after four minutes is stuck (a whole run takes well under that):
# every Wine thread's backtrace goes to the test's output before CTest stops it at five.
"$wine_sh" "$driver" "$program" "$@" &
driver_pid=$!
{ sleep 240 &&
    echo "run_driver: the driver still runs; the backtrace of every Wine thread:" &&
    winedbg --command "bt all" 2>&1; } &
watchdog=$!
status=0
wait "$driver_pid" || status=$?
pkill -P "$watchdog" 2>/dev/null || true
kill "$watchdog" 2>/dev/null || true
exit "$status"
