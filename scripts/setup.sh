# Shared set-up for run.sh and test.sh: sourced, not run.

# Installs the Debian packages that are missing. As root it runs apt-get itself; otherwise
# it prints the exact command to run and stops.
pelmora_require_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages. Install them with:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}"
    # Another set-up may be installing at the same moment: wait for its lock.
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures and builds one build folder; both steps are quick when nothing changed.
pelmora_build() {
    local folder=$1
    shift
    cmake -S . -B "$folder" -G Ninja --log-level=WARNING "$@" >/dev/null
    cmake --build "$folder"
}

# What building the browser's site needs: clang 22 (one version, cmake/wasm32-wasi.cmake) with
# its WebAssembly C++ library, and fonttools with brotli for the fonts.
PELMORA_WEB_PACKAGES=(cmake ninja-build clang-22 lld-22 llvm-22 libc++-22-dev-wasm32
    libc++abi-22-dev-wasm32 libclang-rt-22-dev-wasm32 wasi-libc python3 python3-fonttools
    python3-brotli fonts-liberation)

# Builds the browser's site into build/web/site, and build/web/pelmora.html, with the tests
# of that build unless -DBUILD_TESTING=OFF is among the arguments.
pelmora_build_web() {
    pelmora_build build/web --toolchain cmake/wasm32-wasi.cmake --no-warn-unused-cli \
        -DCMAKE_BUILD_TYPE=MinSizeRel "$@"
}
