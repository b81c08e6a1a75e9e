#!/usr/bin/env bash
# Builds Pelmora and runs every test:
#  1. GCC, with every warning an error, the window tests and the benchmarks built; the whole
#     build asks for -ffast-math on this machine's instruction set, which makes GCC fuse
#     multiply-adds and regroup the cone formulas unless the cone and number libraries undo
#     it (the bit-exact tests fail if they do not);
#  2. Clang under AddressSanitizer and UndefinedBehaviorSanitizer, the whole suite again,
#     plus a bounded libFuzzer run over the number text;
#  3. a Windows cross-compile with mingw-w64: the core libraries, the version resource and
#     the test suites, which run under Wine (scripts/wine.sh --session: Xvfb, a prepared
#     64-bit prefix, a warm wineserver);
#  4. 32-bit x86: the core suites built with gcc -m32, and the 32-bit pelmora.exe, whose
#     import table and exact code are checked;
#  5. the browser: the site built with clang 22 for WebAssembly, the core, form and view suites
#     of that build run under node's WASI, then the page in Debian's headless Chromium.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

# llvm brings llvm-symbolizer: readable sanitizer reports, and leak suppressions that match.
pelmora_require_packages cmake ninja-build g++ clang libclang-rt-14-dev llvm libgtest-dev \
    libbenchmark-dev locales mingw-w64 qt6-base-dev fonts-liberation appstream pkg-config \
    libxcb1-dev desktop-file-utils wine wine64 fonts-wine xvfb googletest xdotool x11-utils nsis \
    wixl osslsigncode openssl g++-multilib lintian dpkg-dev qt6-translations-l10n \
    "${PELMORA_WEB_PACKAGES[@]}" chromium chromium-driver python3-selenium
# Debian's node unless the machine has one (node 18 and later run the WebAssembly suites).
command -v node >/dev/null || pelmora_require_packages nodejs

common=(-DPELMORA_WERROR=ON)

echo "== GCC build"
CC=gcc CXX=g++ pelmora_build build/gcc "${common[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPELMORA_BUILD_BENCH=ON "-DCMAKE_CXX_FLAGS=-march=native -ffast-math" \
    -DPELMORA_WEB_TESTS=ON "-DPELMORA_WEB_BUILD=$PWD/build/web"
# (The browser's tests run in step 5, once the site is built.)
ctest --test-dir build/gcc --output-on-failure -j "$(nproc)" --label-exclude browser

echo "== Debian package, checked by lintian and appstreamcli"
deb=$(scripts/package-deb.sh build/deb)
lintian --fail-on error,warning "$deb"
appstreamcli validate --no-net --pedantic build/deb/app/org.pelmora.Pelmora.metainfo.xml

echo "== Clang build with AddressSanitizer, UndefinedBehaviorSanitizer and the fuzzer"
CC=clang CXX=clang++ pelmora_build build/clang-asan "${common[@]}" -DCMAKE_BUILD_TYPE=Debug \
    -DPELMORA_SANITIZE=ON -DPELMORA_FUZZ=ON "-DCMAKE_CXX_FLAGS=-O1"
ctest --test-dir build/clang-asan --output-on-failure -j "$(nproc)"

echo "== Windows cross-compile, its tests under Wine"
# A folder of its own: a toolchain file is read only when a build folder is first configured,
# and build/mingw of earlier versions has other compilers and no emulator in its cache.
pelmora_build build/windows --toolchain cmake/mingw-w64.cmake --no-warn-unused-cli \
    "${common[@]}" -DBUILD_TESTING=ON
scripts/wine.sh --session ctest --test-dir build/windows --output-on-failure -j "$(nproc)"

echo "== 32-bit x86: the core suites with gcc -m32, and the 32-bit pelmora.exe"
# No 32-bit Wine here (it needs i386 multiarch): the exact code's suites run as 32-bit Linux
# programs, built with the flags the 32-bit pelmora.exe's libraries get (SSE2, not x87).
CC=gcc CXX=g++ pelmora_build build/x86 "${common[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS=-m32 -DCMAKE_CXX_FLAGS=-m32 -DPELMORA_BUILD_QT=OFF \
    -DPELMORA_GTEST_FROM_SOURCE=ON
ctest --test-dir build/x86 --output-on-failure -j "$(nproc)"
pelmora_build build/windows-x86 --toolchain cmake/mingw-w64-i686.cmake --no-warn-unused-cli \
    "${common[@]}" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
objects=$(find build/windows-x86/cone build/windows-x86/number -name '*.obj' | paste -sd ';')
cmake -DEXE=build/windows-x86/app/pelmora.exe -DOBJDUMP=i686-w64-mingw32-objdump \
    "-DOBJECTS=$objects" -P tests/win32/check_exe.cmake

echo "== Browser: the site, the core suites under node's WASI, the page in headless Chromium"
pelmora_build_web "${common[@]}"
ctest --test-dir build/web --output-on-failure -j "$(nproc)"
ctest --test-dir build/gcc --output-on-failure -j "$(nproc)" --label-regex browser

echo "All Pelmora tests passed."
