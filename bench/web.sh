#!/usr/bin/env bash
# The browser's page in headless Chromium against a static page of ours (bench/web_bench.py):
# sizes, first paint with the fonts, answering a click, a Calculate click to the repaint.
#   bench/web.sh [RUNS]     (default 15; builds build/web first)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
pelmora_require_packages "${PELMORA_WEB_PACKAGES[@]}" chromium chromium-driver python3-selenium
pelmora_build_web -DBUILD_TESTING=OFF >/dev/null
exec /usr/bin/python3 bench/web_bench.py "$@"
