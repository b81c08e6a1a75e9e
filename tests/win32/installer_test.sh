#!/usr/bin/env bash
# Tests the Windows installers in a copy of the prepared Wine prefix:
#   tests/win32/installer_test.sh INSTALLER.exe PELMORA.exe DRIVER.exe [PELMORA.msi]
# The NSIS installer per user, per machine and elevated (Wine runs every program elevated),
# each installed silently, started (the driver's --smoke run) and uninstalled; then over a
# running copy and over one that does not answer; then the MSI installed, upgraded to a later
# version and removed. One line per check; the last line says whether all passed. Needs
# DISPLAY; the prefix is $WINEPREFIX, the Wine session's (scripts/wine.sh --session).
set -uo pipefail
usage="usage: installer_test.sh INSTALLER.exe PELMORA.exe DRIVER.exe [PELMORA.msi]"
installer=$(realpath "${1:?$usage}")
program=$(realpath "${2:?$usage}")
driver=$(realpath "${3:?$usage}")
msi=${4:+$(realpath "$4")}
root=$(cd "$(dirname "$0")/../.." && pwd)
prepared=${WINEPREFIX:-}
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

expand() { wine cmd /c echo "$1" 2>/dev/null | tr -d '\r'; }
unix_path() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
user_folder=$(expand '%LOCALAPPDATA%')\\Programs\\Pelmora
machine_folder=$(expand '%ProgramW6432%')\\Pelmora
user_menu=$(unix_path "$(expand '%APPDATA%')")/Microsoft/Windows/"Start Menu"/Programs
machine_menu=$(unix_path "$(expand '%ProgramData%')")/Microsoft/Windows/"Start Menu"/Programs
entry='Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora'

value() {  # value KEY NAME: the data of a registry value, or nothing
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { print $3 }'
}
starts() {  # starts FOLDER: the installed program opens its window and closes
    local output
    output=$(wine "$driver" "$(unix_path "$1\\pelmora.exe")" --smoke 2>&1)
    grep -q 'pelmora_driver: all [0-9]* checks passed' <<<"$output" ||
        { echo "$output" | sed 's/^/  /'; return 1; }
}
gone() {  # gone PATH: within ten seconds (an uninstaller copies itself away and returns)
    for _ in $(seq 100); do
        [ -e "$1" ] || return 0
        sleep 0.1
    done
    return 1
}

check "installer: asks for no administrator rights (asInvoker)" \
    grep -aq 'requestedExecutionLevel level="asInvoker"' "$installer"

#    how                switches        folder             Start menu       key   other key
cases=(
    "per user"          "/CURRENTUSER"  "$user_folder"     "$user_menu"     HKCU  HKLM
    "per machine"       "/ALLUSERS"     "$machine_folder"  "$machine_menu"  HKLM  HKCU
    "elevated"          ""              "$machine_folder"  "$machine_menu"  HKLM  HKCU
)
for ((i = 0; i < ${#cases[@]}; i += 6)); do
    how=${cases[i]} switches=${cases[i + 1]} folder=${cases[i + 2]} menu=${cases[i + 3]}
    key=${cases[i + 4]}\\$entry other=${cases[i + 5]}\\$entry
    dir=$(unix_path "$folder")
    # shellcheck disable=SC2086  # no switch, or one
    wine "$installer" /S $switches >/dev/null 2>&1
    check "$how install: exits with status 0" test $? -eq 0
    check "$how install: pelmora.exe is the built one, in $folder" cmp -s "$dir/pelmora.exe" "$program"
    check "$how install: an uninstaller beside it" test -f "$dir/Uninstall.exe"
    check "$how install: a Start-menu entry" test -f "$menu/Pelmora.lnk"
    check "$how install: listed with version 1.00 under ${key%%\\*}" test "$(value "$key" DisplayVersion)" = 1.00
    check "$how install: listed with its size" test "$(($(value "$key" EstimatedSize)))" -gt 0
    check "$how install: nothing under ${other%%\\*}" test -z "$(value "$other" DisplayVersion)"
    check "$how install: the installed program starts and closes" starts "$folder"
    wine "$dir/Uninstall.exe" /S >/dev/null 2>&1
    check "$how uninstall: the program folder is gone" gone "$dir"
    check "$how uninstall: the Start-menu entry is gone" test ! -e "$menu/Pelmora.lnk"
    check "$how uninstall: the uninstaller entry is gone" test -z "$(value "$key" DisplayVersion)"
done

# Older than Windows 7 SP1 (Wine reporting Vista): refused before anything is written.
wine reg add 'HKCU\Software\Wine' /v Version /d vista /f >/dev/null 2>&1
wine "$installer" /S /CURRENTUSER >/dev/null 2>&1
# A Unix exit status keeps only the low eight bits of Windows' 1150.
check "on Windows Vista: the installer refuses with status 1150" test $? -eq $((1150 % 256))
check "on Windows Vista: nothing is installed" test ! -e "$(unix_path "$user_folder")"
wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1

# A running copy is asked to close; one that does not answer (stopped here) makes both the
# installer and the uninstaller give up with status 2 and change nothing. `_?=` keeps the
# uninstaller in place, so its status is its own.
dir=$(unix_path "$user_folder")
wine "$installer" /S /CURRENTUSER >/dev/null 2>&1
wine "$dir/pelmora.exe" & running=$!
sleep 2
wine "$installer" /S /CURRENTUSER >/dev/null 2>&1
check "over a running copy: the installer exits with status 0" test $? -eq 0
check "over a running copy: the copy was closed" gone "/proc/$running"
wine "$dir/pelmora.exe" & running=$!
sleep 2
kill -STOP "$running"
touch -d 2001-01-01 "$dir/pelmora.exe"
wine "$installer" /S /CURRENTUSER >/dev/null 2>&1
check "over a copy that does not close: the installer exits with status 2" test $? -eq 2
check "over a copy that does not close: pelmora.exe is left as it was" \
    test "$(stat -c %Y "$dir/pelmora.exe")" = "$(date -d 2001-01-01 +%s)"
wine "$dir/Uninstall.exe" /S "_?=$user_folder" >/dev/null 2>&1
check "beside a copy that does not close: the uninstaller exits with status 2" test $? -eq 2
check "beside a copy that does not close: pelmora.exe stays" test -f "$dir/pelmora.exe"
check "beside a copy that does not close: the uninstaller entry stays" \
    test -n "$(value "HKCU\\$entry" DisplayVersion)"
kill -CONT "$running"
check "the copy, going on, closes as it was asked" gone "/proc/$running"
wine "$dir/Uninstall.exe" /S >/dev/null 2>&1
check "then the uninstaller removes the program" gone "$dir"

# The MSI, and a later version of it built here from the same source.
if [ -n "$msi" ]; then
    mkdir "$copy/next"
    cp "$program" "$copy/next/pelmora.exe"
    cp "$root/app/icons/pelmora.ico" "$copy/next/"
    (cd "$copy/next" && wixl -a x64 -D Version=1.01 -D Vendor=Pelmora -D Exe=pelmora.exe \
        -D Icon=pelmora.ico -o next.msi "$root/app/msi/pelmora.wxs" 2>/dev/null)
    dir=$(unix_path "$machine_folder")
    listed() {  # the versions of Pelmora in the machine's list of installed programs
        wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
            tr -d '\r' | awk '/^HKEY/ { name = "" } $1 == "DisplayName" { name = $3 }
                $1 == "DisplayVersion" && name == "Pelmora" { print $3 }' | sort | tr '\n' ' '
    }
    wine msiexec /i "$(wine winepath -w "$msi" 2>/dev/null | tr -d '\r')" /qn >/dev/null 2>&1
    check "MSI install: exits with status 0" test $? -eq 0
    check "MSI install: pelmora.exe is the built one, in $machine_folder" cmp -s "$dir/pelmora.exe" "$program"
    # Wine's Windows Installer puts a per-machine package's shortcut in the user's Start menu.
    check "MSI install: a Start-menu entry" test -f "$machine_menu/Pelmora.lnk" -o -f "$user_menu/Pelmora.lnk"
    check "MSI install: listed once, version 1.00" test "$(listed)" = "1.00 "
    check "MSI install: the installed program starts and closes" starts "$machine_folder"
    wine msiexec /i "$(wine winepath -w "$copy/next/next.msi" 2>/dev/null | tr -d '\r')" /qn >/dev/null 2>&1
    check "MSI upgrade: exits with status 0" test $? -eq 0
    check "MSI upgrade: listed once, version 1.01" test "$(listed)" = "1.01 "
    check "MSI upgrade: the installed program starts and closes" starts "$machine_folder"
    wine msiexec /x "$(wine winepath -w "$copy/next/next.msi" 2>/dev/null | tr -d '\r')" /qn >/dev/null 2>&1
    check "MSI removal: exits with status 0" test $? -eq 0
    check "MSI removal: the program folder is gone" test ! -e "$dir"
    check "MSI removal: the Start-menu entry is gone" test ! -e "$machine_menu/Pelmora.lnk" -a ! -e "$user_menu/Pelmora.lnk"
    check "MSI removal: no longer listed" test -z "$(listed)"
fi

if [ "$failures" -eq 0 ]; then
    echo "installer_test: all checks passed"
else
    echo "installer_test: $failures checks failed"
    exit 1
fi
