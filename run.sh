#!/usr/bin/env bash
# Builds Pelmora (Release) and opens its window. Arguments are passed to the program.
#   ./run.sh --web   builds the browser's site into build/web/site and serves it on
#                    http://127.0.0.1:8080/ until Ctrl+C
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

if [ "${1:-}" = --web ]; then
    pelmora_require_packages "${PELMORA_WEB_PACKAGES[@]}"
    pelmora_build_web -DBUILD_TESTING=OFF
    echo "Pelmora in the browser: http://127.0.0.1:8080/ (build/web/pelmora.html works alone)"
    exec python3 -m http.server --bind 127.0.0.1 --directory build/web/site 8080
fi

# fonts-liberation makes "Times New Roman" resolve to a face with the same metrics;
# qt6-translations-l10n holds Qt's own Bulgarian texts (context menus, box buttons).
pelmora_require_packages cmake ninja-build g++ qt6-base-dev fonts-liberation qt6-translations-l10n
pelmora_build build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
exec build/release/app/pelmora "$@"
