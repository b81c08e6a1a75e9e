#!/usr/bin/env bash
# Checks that docks can match the running window to its desktop entry:
#   tests/window_class_test.sh path/to/pelmora path/to/org.pelmora.Pelmora.desktop
# The entry's StartupWMClass must be the X11 window class the program sets (read with xprop
# under Xvfb) and the entry's own name, which Wayland compositors look up by the app id.
# Exits 77 (skipped) when xvfb-run, xdotool or xprop is missing.
set -euo pipefail
program=${1:?usage: window_class_test.sh PROGRAM DESKTOP_FILE}
entry=${2:?usage: window_class_test.sh PROGRAM DESKTOP_FILE}

wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
if [ -z "$wm_class" ]; then
    echo "FAIL: $entry has no StartupWMClass"
    exit 1
fi
entry_id=$(basename "$entry" .desktop)
if [ "$wm_class" != "$entry_id" ]; then
    echo "FAIL: StartupWMClass is $wm_class, the entry is $entry_id.desktop"
    exit 1
fi

for tool in xvfb-run xdotool xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "skip: $tool is not installed, the running window's class is not checked"
        exit 77
    fi
done

inner=$(cat <<'INNER'
set -euo pipefail
QT_QPA_PLATFORM=xcb "$1" 2>/dev/null &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pelmora$' | head -n 1)
xprop -id "$window" WM_CLASS
INNER
)
# WM_CLASS(STRING) = "pelmora", "org.pelmora.Pelmora": the instance, then the class.
line=$(xvfb-run -a bash -c "$inner" bash "$program")
class=$(printf '%s\n' "$line" | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
if [ "$class" != "$wm_class" ]; then
    echo "FAIL: the window's class is \"$class\" ($line), the entry's StartupWMClass is $wm_class"
    exit 1
fi
echo "ok: window class, StartupWMClass and the entry's name are all $wm_class"
