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
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Compiles glibc locales into a folder of our own (used through LOCPATH), so the tests can
# run under real regional settings without touching the system's locales. Each argument is a
# locale name with or without its character set: "de_DE" means "de_DE.UTF-8", and
# "fr_FR.ISO-8859-1" builds the French locale in that 8-bit character set.
pelmora_generate_locales() {
    local folder=$1
    shift
    mkdir -p "$folder"
    local spec name charset
    for spec in "$@"; do
        name=${spec%%.*}
        charset=UTF-8
        [ "$spec" != "$name" ] && charset=${spec#*.}
        [ -e "$folder/$name.$charset/LC_NUMERIC" ] && continue
        localedef -i "$name" -f "$charset" "$folder/$name.$charset" >/dev/null 2>&1 || true
        if [ ! -e "$folder/$name.$charset/LC_NUMERIC" ]; then
            echo "Could not generate the locale $name.$charset" >&2
            exit 1
        fi
    done
}

# Configures and builds one build folder; both steps are quick when nothing changed.
pelmora_build() {
    local folder=$1
    shift
    cmake -S . -B "$folder" -G Ninja --log-level=WARNING "$@" >/dev/null
    cmake --build "$folder"
}
