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
