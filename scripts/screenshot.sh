#!/usr/bin/env bash
# Takes a screenshot of the window under Xvfb: scripts/screenshot.sh BINARY OUTPUT.png
# The window is shown with nothing typed, or with the worked example calculated when
# PELMORA_SCREENSHOT_EXAMPLE=1 (types 3 and 5 and presses «Изчисли» with xdotool).
set -euo pipefail
binary=${1:?usage: screenshot.sh BINARY OUTPUT.png}
output=${2:?usage: screenshot.sh BINARY OUTPUT.png}

inner=$(cat <<'INNER'
set -euo pipefail
"$0" &
pid=$!
window=$(xdotool search --sync --onlyvisible --name '^Pelmora$' | head -n 1)
xdotool windowfocus --sync "$window"
if [ "${PELMORA_SCREENSHOT_EXAMPLE:-0}" = 1 ]; then
    # Field 0 at (104+30, 56+13), field 1 one column right, «Изчисли» at (368+40, 56+12).
    xdotool mousemove --window "$window" 134 69 click 1 type 3
    xdotool mousemove --window "$window" 198 69 click 1 type 5
    xdotool mousemove --window "$window" 408 68 click 1
fi
sleep 0.5
import -window "$window" "$1"
kill "$pid"
INNER
)
xvfb-run -a -s "-screen 0 640x480x24 -dpi 96" bash -c "$inner" "$binary" "$output"
