#!/usr/bin/env bash
# Tests the Windows installer in a copy of the prepared Wine prefix:
#   tests/win32/installer_test.sh INSTALLER.exe PELMORA.exe DRIVER.exe
# Installs silently (/S) as the user, checks the program, its Start-menu entry and its
# uninstaller entry, starts the installed program (the driver's --smoke run), uninstalls
# silently and checks that everything is gone. One line per check; the last line says
# whether all passed. Needs DISPLAY; the prefix is $WINEPREFIX (default build/wine/prefix).
set -uo pipefail
usage="usage: installer_test.sh INSTALLER.exe PELMORA.exe DRIVER.exe"
installer=$(realpath "${1:?$usage}")
program=$(realpath "${2:?$usage}")
driver=$(realpath "${3:?$usage}")
root=$(cd "$(dirname "$0")/../.." && pwd)
prepared=${WINEPREFIX:-$root/build/wine/prefix}
if [ -z "${DISPLAY:-}" ] || [ ! -d "$prepared/drive_c" ]; then
    echo "FAIL the installer test needs DISPLAY and a prepared Wine prefix ($prepared)"
    exit 1
fi

failures=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "PASS $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

# A copy, so the installation touches nothing else; cp -a, as hard links would share the
# registry files with the prepared prefix. Its own wineserver, started first and quiet, so
# no helper process holds this script's output open.
copy=$(mktemp -d "$root/build/wine/installer-prefix.XXXXXX")
cleanup() {
    WINEPREFIX="$copy/prefix" wineserver -k >/dev/null 2>&1
    rm -rf "$copy"
}
trap cleanup EXIT
cp -a "$prepared" "$copy/prefix"
export WINEPREFIX="$copy/prefix" WINEARCH=win64 WINEDEBUG=-all
wineserver -p >/dev/null 2>&1
wine cmd /c exit >/dev/null 2>&1

unix_path() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
local_appdata=$(unix_path "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')")
programs=$(unix_path "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")/Microsoft/Windows/"Start Menu"/Programs
folder="$local_appdata/Programs/Pelmora"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora'

check "installer: asks for no administrator rights (asInvoker)" \
    grep -aq 'requestedExecutionLevel level="asInvoker"' "$installer"
wine "$installer" /S >/dev/null 2>&1
check "install: exits with status 0" test $? -eq 0
check "install: pelmora.exe in the user's %LOCALAPPDATA%\\Programs\\Pelmora" test -f "$folder/pelmora.exe"
check "install: pelmora.exe is the built one" cmp -s "$folder/pelmora.exe" "$program"
check "install: an uninstaller beside it" test -f "$folder/Uninstall.exe"
check "install: a Start-menu entry for the user" test -f "$programs/Pelmora.lnk"
version=$(wine reg query "$uninstall_key" /v DisplayVersion 2>/dev/null | tr -d '\r' | awk '/DisplayVersion/ { print $3 }')
check "install: listed for the user with version 1.00 (HKCU)" test "$version" = 1.00
check "install: nothing under HKLM" bash -c "! wine reg query 'HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelmora' >/dev/null 2>&1"

output=$(wine "$driver" "$folder/pelmora.exe" --smoke 2>&1)
echo "$output" | sed 's/^/  /'
check "the installed program starts and closes" grep -q 'pelmora_driver: all [0-9]* checks passed' <<<"$output"

# The uninstaller copies itself away and returns at once: wait for the folder to go.
wine "$folder/Uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 100); do
    [ -e "$folder" ] || break
    sleep 0.1
done
check "uninstall: the program folder is gone" test ! -e "$folder"
check "uninstall: the Start-menu entry is gone" test ! -e "$programs/Pelmora.lnk"
check "uninstall: the uninstaller entry is gone" bash -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"

if [ "$failures" -eq 0 ]; then
    echo "installer_test: all checks passed"
else
    echo "installer_test: $failures checks failed"
    exit 1
fi
