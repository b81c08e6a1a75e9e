#!/usr/bin/env bash
# Builds Pelmora (Release) and opens its window. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

# fonts-liberation makes "Times New Roman" resolve to a face with the same metrics;
# qt6-translations-l10n holds Qt's own Bulgarian texts (context menus, box buttons).
pelmora_require_packages cmake ninja-build g++ qt6-base-dev fonts-liberation qt6-translations-l10n
pelmora_build build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
exec build/release/app/pelmora "$@"
