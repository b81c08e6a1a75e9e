#!/usr/bin/env bash
# Start-up of pelmora against a bare Qt window with the same controls, under Xvfb:
# alternating runs, the median time to the window being mapped and to its first paint
# (its background colour showing), and the median peak memory at that moment.
#   bench/startup.sh [RUNS]     (default 15; builds build/bench in Release first)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
pelmora_require_packages cmake ninja-build g++ qt6-base-dev libbenchmark-dev fonts-liberation \
    xvfb xauth pkg-config libxcb1-dev
pelmora_build build/bench -DCMAKE_BUILD_TYPE=Release -DPELMORA_BUILD_BENCH=ON -DBUILD_TESTING=OFF
runs=${1:-15}

xvfb-run -a -s "-screen 0 640x480x24 -dpi 96" bash -c '
    runs=$1
    probe=build/bench/bench/startup_probe
    : > /tmp/pelmora-startup.txt
    : > /tmp/bare-startup.txt
    for _ in $(seq "$runs"); do
        "$probe" C0C0FF build/bench/app/pelmora >> /tmp/pelmora-startup.txt
        "$probe" C0C0FF build/bench/bench/bare_window >> /tmp/bare-startup.txt
    done
' bash "$runs"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
report() {
    local name=$1 file=$2
    printf '%-12s mapped %6s ms   painted %6s ms   peak %6s KiB\n' "$name" \
        "$(cut -d' ' -f1 "$file" | median)" "$(cut -d' ' -f2 "$file" | median)" \
        "$(cut -d' ' -f3 "$file" | median)"
}
echo "median of $runs runs each, alternating:"
report pelmora /tmp/pelmora-startup.txt
report bare_window /tmp/bare-startup.txt
