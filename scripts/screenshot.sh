#!/usr/bin/env bash
# Takes a screenshot of the window under Xvfb: scripts/screenshot.sh BINARY OUTPUT.png
# The window is shown with nothing typed, or with the worked example calculated when
# PELMORA_SCREENSHOT_EXAMPLE=1 (types 3 and 5 and presses «Изчисли» with xdotool), or with
# other values of R and L given as PELMORA_SCREENSHOT_EXAMPLE="100 200". QT_SCALE_FACTOR
# (1.5 for 150 %) is honoured.
set -euo pipefail
binary=${1:?usage: screenshot.sh BINARY OUTPUT.png}
output=${2:?usage: screenshot.sh BINARY OUTPUT.png}

inner=$(cat <<'INNER'
set -euo pipefail
"$0" &
pid=$!
window=$(xdotool search --sync --onlyvisible --name '^Pelmora$' | head -n 1)
xdotool windowfocus --sync "$window"
example=${PELMORA_SCREENSHOT_EXAMPLE:-0}
[ "$example" = 1 ] && example="3 5"
if [ "$example" != 0 ]; then
    read -r r l <<<"$example"
    scale=${QT_SCALE_FACTOR:-1}
    at() { awk -v x="$1" -v y="$2" -v s="$scale" 'BEGIN { printf "%d %d", x * s, y * s }'; }
    # Field 0 at (104+30, 56+13), field 1 one column right, «Изчисли» at (368+40, 56+12).
    xdotool mousemove --window "$window" $(at 134 69) click 1 type "$r"
    xdotool mousemove --window "$window" $(at 198 69) click 1 type "$l"
    xdotool mousemove --window "$window" $(at 408 68) click 1
fi
sleep 0.5
import -window "$window" "$1"
kill "$pid"
INNER
)
xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" bash -c "$inner" "$binary" "$output"
