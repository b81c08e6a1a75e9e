#!/usr/bin/env bash
# Starts the real program where it cannot open its window and checks what it says:
#   tests/startup_errors_test.sh path/to/pelmora VERSION
# Each case checks the first line of stderr, that Qt's own lines follow it, and that the
# program exits with status 2 and not by a signal (an abort would be 134 and a core dump).
set -uo pipefail
program=${1:?usage: startup_errors_test.sh PROGRAM VERSION}
version=${2:?usage: startup_errors_test.sh PROGRAM VERSION}
failures=0

# A display number with no server behind it.
free_display=$((300 + $$ % 400))  # away from xvfb-run -a, which starts at 99
while [ -e "/tmp/.X11-unix/X$free_display" ] || [ -e "/tmp/.X$free_display-lock" ]; do
    free_display=$((free_display + 1))
done

prefix="pelmora: cannot open the window: "

# check NAME EXPECTED_FIRST_LINE COMMAND...
check() {
    local name=$1 expected=$2
    shift 2
    local output status
    output=$(timeout 20 "$@" 2>&1 >/dev/null)
    status=$?
    local first=${output%%$'\n'*}
    local count
    count=$(printf '%s\n' "$output" | wc -l)
    local verdict=ok
    if [ "$first" != "$prefix$expected" ]; then
        verdict="first line is \"$first\""
    elif [ "$status" -ne 2 ]; then
        verdict="exit status $status, not 2"
    elif [ "$count" -lt 2 ]; then
        verdict="Qt's own lines are missing"
    fi
    if [ "$verdict" = ok ]; then
        echo "ok   $name"
    else
        echo "FAIL $name: $verdict"
        printf '%s\n' "$output" | sed 's/^/     | /'
        failures=$((failures + 1))
    fi
}

# A bare environment: no display variables, no session type, no platform asked for.
bare=(env -i "PATH=$PATH" "HOME=${HOME:-/tmp}")

check "no display set" "no display is set (neither DISPLAY nor WAYLAND_DISPLAY)" \
    "${bare[@]}" "$program"
check "display unreachable" "the X display :$free_display cannot be reached" \
    "${bare[@]}" "DISPLAY=:$free_display" "$program"
check "mistyped platform, no display" "the Qt platform \"xbc\" did not start" \
    "${bare[@]}" QT_QPA_PLATFORM=xbc "$program"
check "mistyped platform, display unreachable" "the Qt platform \"xbc\" did not start" \
    "${bare[@]}" "DISPLAY=:$free_display" QT_QPA_PLATFORM=xbc "$program"

if command -v xvfb-run >/dev/null; then
    # xvfb-run passes its own DISPLAY on; the program's command runs inside.
    check "mistyped platform, working display" "the Qt platform \"xbc\" did not start" \
        xvfb-run -a env QT_QPA_PLATFORM=xbc "$program"
else
    echo "skip mistyped platform, working display: xvfb-run is not installed"
fi

# --help and --version answer on stdout with status 0, with no display to open a window on.
answer() {  # answer OPTION EXPECTED_FIRST_LINE
    local output status
    output=$(timeout 20 "${bare[@]}" "$program" "$1" 2>&1)
    status=$?
    if [ "$status" -eq 0 ] && [ "${output%%$'\n'*}" = "$2" ]; then
        echo "ok   $1"
    else
        echo "FAIL $1: exit status $status"
        printf '%s\n' "$output" | sed 's/^/     | /'
        failures=$((failures + 1))
    fi
}
answer --help "Употреба: pelmora [--help | --version]"
answer --version "Pelmora $version"

[ "$failures" -eq 0 ]
