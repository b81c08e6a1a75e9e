#!/usr/bin/env bash
# Builds the Debian package the way Debian builds its own: scripts/package-deb.sh [BUILD_DIR]
# (default build/deb), then prints the path of the .deb.
# The compiler and linker flags are those of dpkg-buildflags with every hardening feature
# (bind now among them), and CMake adds none of its own (build type None); cpack strips the
# program. Needs dpkg-dev besides what run.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
build=${1:-build/deb}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1"; }
pelmora_build "$build" -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF \
    "-DCMAKE_CXX_FLAGS=$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)" >&2
rm -f "$build"/pelmora_*.deb
(cd "$build" && cpack -G DEB >&2)
ls "$build"/pelmora_*.deb
