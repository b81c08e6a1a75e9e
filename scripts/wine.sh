#!/usr/bin/env bash
# Pelmora's Wine, for the Windows tests and pictures:
#   scripts/wine.sh PROGRAM.exe [ARGUMENTS...]     runs a Windows program in the session's
#                                                  prefix (CTest's emulator for the cross build)
#   scripts/wine.sh --session COMMAND...           runs a command in a Wine session, e.g.
#                                                  scripts/wine.sh --session ctest --test-dir build/windows
#   scripts/wine.sh --screenshots BUILD_DIR OUTPUT_DIR
#                                                  pictures of the window, in a session of their own
#
# A program runs in $WINEPREFIX, the session's prefix; 64-bit only, Wine's own messages
# silenced. A non-zero exit status is also written as a line, so a test judged by its output
# sees it.
#
# The session is an Xvfb display, a fresh copy of the prepared 64-bit prefix in a folder of
# its own (build/wine/session.XXXXXX) and a persistent, warmed-up wineserver; all of it is
# stopped and removed when the command ends, and sessions started side by side from one tree
# never share a prefix. The prepared prefix (build/wine/template) is made once and made again
# only when the preparation steps or the Wine version change.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Every Wine process starts with address randomisation off. Debian's Wine has no preloader,
# so nothing reserves the address of Windows' shared user data (0x7ffe0000) before the kernel
# puts the loader's heap at random up to 1 GiB above the loader (0x7d000000): about one
# start in 2,000 finds that address taken and exits with status 1, its one line ("failed to
# map the shared user data: c0000018") silenced by WINEDEBUG=-all. Unrandomised, the heap
# starts right after the loader every time. A process's children inherit the setting.
wine() {
    setarch -R wine "$@"
}

run_program() {
    if [ -z "${WINEPREFIX:-}" ]; then
        echo "wine.sh: no Wine session; run it as scripts/wine.sh --session COMMAND..." >&2
        return 2
    fi
    export WINEARCH=win64
    export WINEDEBUG=${WINEDEBUG:--all}
    wine "$@"
    local status=$?
    if [ "$status" -ne 0 ]; then
        echo "wine.sh: $(basename "$1") exited with status $status" >&2
    fi
    return "$status"
}

stop_session() {
    # Wine first, while its display still exists; then the display.
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ -n "${session_dir:-}" ]; then
        rm -rf "$session_dir"
    fi
}

prepare_template() {
    rm -rf "$template"
    export WINEPREFIX=$template
    setarch -R wineboot --init >/dev/null 2>&1
    # Under Xvfb there is no window manager: with Wine managing windows itself, closing a
    # window does not wait two seconds for a window manager that never answers.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crashing program prints its backtrace and ends; the crash dialog would wait for a click.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1
    # Wine's own fonts where Windows programs look for them (Debian ships them apart).
    cp /usr/share/wine/fonts/* "$template/drive_c/windows/Fonts/"
    wineserver -w  # the registry is on disk once the server has ended
    unset WINEPREFIX
}

start_session() {
    set -e
    wine_dir=$root/build/wine
    template=$wine_dir/template
    mkdir -p "$wine_dir"

    export WINEARCH=win64 WINEDEBUG=-all
    # Nothing of ours uses .NET or the HTML engine: a new prefix leaves out setting them up.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset WINESERVER WINELOADER

    xvfb_pid=
    session_dir=
    trap stop_session EXIT
    # A session that deleted another's prefix while that one ran made every Wine process
    # starting meanwhile fail ("could not load kernel32.dll, status c0000135").
    session_dir=$(mktemp -d "$wine_dir/session.XXXXXX")

    # Xvfb before the first Wine process: that process starts Wine's desktop (explorer.exe) for
    # the whole session, and without a display it fails ("The explorer process failed to start").
    # -displayfd picks a free display and tells its number once the server is ready.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp \
        3>"$session_dir/display" >"$session_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$session_dir/display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || { cat "$session_dir/xvfb.log" >&2; exit 1; }
        sleep 0.1
    done
    export DISPLAY=:$(head -n 1 "$session_dir/display")

    stamp=$( (declare -f prepare_template; wine --version) | sha256sum | cut -c1-16)
    if [ "$(cat "$template/.pelmora-prepared" 2>/dev/null)" != "$stamp" ]; then
        echo "Preparing the Wine prefix $template"
        prepare_template
        echo "$stamp" >"$template/.pelmora-prepared"
    fi

    # A copy, never hard links: Wine rewrites files of the prefix in place.
    cp -a "$template" "$session_dir/prefix"
    export WINEPREFIX=$session_dir/prefix

    # The wineserver and Wine's helper processes (services.exe, explorer.exe...) are started
    # here, with their output to /dev/null: started by the first test they can inherit its
    # output pipe and hold it open, and CTest then waits for them to end.
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1
    set +e
}

# The driver poses the window, then reads its pixels from the screen.
# The user is Bulgarian where the build has compiled that locale (its tests do).
take_screenshots() {
    local build output pictures pose
    build=$(realpath "${1:?usage: wine.sh --screenshots BUILD_DIR OUTPUT_DIR}")
    output=$(realpath "${2:?usage: wine.sh --screenshots BUILD_DIR OUTPUT_DIR}")
    pictures=$(mktemp -d)
    if [ -d "$build/locales/bg_BG.UTF-8" ]; then
        export LOCPATH=$build/locales LANG=bg_BG.UTF-8
        unset LC_ALL LC_MESSAGES
    fi
    for pose in empty example r30 r1000 failure failure6 menu menu-result; do
        run_program "$build/tests/pelmora_driver.exe" "$build/app/pelmora.exe" \
            --pose "$pose" --shot "$pictures/$pose.bmp" | grep -E '^(FAIL|pelmora_driver)'
        # The fourth byte of each pixel is unused, not transparency.
        convert "$pictures/$pose.bmp" -alpha off "$output/windows-$pose.png" || return 1
        echo "$output/windows-$pose.png"
    done
    rm -rf "$pictures"
}

case "${1:-}" in
    --session)
        shift
        [ $# -gt 0 ] || { echo "usage: scripts/wine.sh --session COMMAND..." >&2; exit 2; }
        start_session
        setarch -R "$@"  # and whatever it runs, such as a test's own calls of wine
        ;;
    --screenshots)
        shift
        start_session
        take_screenshots "$@"
        ;;
    "")
        echo "usage: scripts/wine.sh PROGRAM.exe [ARGUMENTS...] | --session COMMAND..." \
            "| --screenshots BUILD_DIR OUTPUT_DIR" >&2
        exit 2
        ;;
    *)
        run_program "$@"
        ;;
esac
