#!/usr/bin/env bash
# What the screen reader Orca says after «Изчисли»: scripts/orca-log.sh BINARY [R L]
# Starts the program under Orca on Xvfb (its own D-Bus session and accessibility bus, no
# sound), types R and L (default 3 and 5) into «Вариант 1», presses «Изчисли» with the mouse
# and then with the space bar, and prints every line Orca spoke from its debug log.
set -euo pipefail
binary=$(realpath "${1:?usage: orca-log.sh BINARY [R L]}")
r=${2:-3}
l=${3:-5}
work=$(mktemp -d)
trap '[ -n "${PELMORA_KEEP:-}" ] || rm -rf "$work"' EXIT; echo "log: $work/orca.log" >&2

inner=$(cat <<'INNER'
set -euo pipefail
binary=$1 r=$2 l=$3 work=$4
/usr/libexec/at-spi-bus-launcher --launch-immediately &
sleep 1
# No speech server: Orca logs what it would say. (Speech Dispatcher without a sound card
# keeps Orca waiting; at an address where none listens, Orca goes on without it.)
export SPEECHD_ADDRESS=unix_socket:$work/no-speech-dispatcher
# Orca's log is a buffered file that is lost if it is killed: on a terminal, it is written
# line by line.
script -qfc "orca --replace --user-prefs $work/prefs --debug-file /dev/tty" "$work/orca.log" \
    >/dev/null 2>&1 &
orca=$!
sleep 4
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$binary" >/dev/null 2>&1 &
pid=$!
window=$(xdotool search --sync --onlyvisible --name '^Pelmora$' | head -n 1)
xdotool windowfocus --sync "$window"
sleep 2
# Field 0 at (104+30, 56+13), field 1 one column right, «Изчисли» at (368+40, 56+12).
xdotool mousemove --window "$window" 134 69 click 1 sleep 0.5 type --delay 100 "$r"
xdotool mousemove --window "$window" 198 69 click 1 sleep 0.5 type --delay 100 "$l"
sleep 1
echo "$(date +%T.%6N) click on «Изчисли»" >"$work/marks"
xdotool mousemove --window "$window" 408 68 click 1
sleep 3
echo "$(date +%T.%6N) space bar on «Изчисли»" >>"$work/marks"
xdotool key space
sleep 3
kill "$pid" 2>/dev/null || true
# Orca writes its log when it ends.
kill "$orca" 2>/dev/null || true
for _ in $(seq 20); do kill -0 "$orca" 2>/dev/null || break; sleep 0.5; done
INNER
)
xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" dbus-run-session -- \
    bash -c "$inner" bash "$binary" "$r" "$l" "$work"
# Orca's lines begin with the time of day: what it spoke after each mark, in time order.
grep -E "SPEECH OUTPUT" "$work/orca.log" | sort -m - "$work/marks" |
    sed -n "/$(head -c 15 "$work/marks")/,\$p" || true
