#!/usr/bin/env bash
# Creates and configures the Wine prefix of a build folder, and starts or stops its wineserver.
#   wine-prefix.sh setup   <builddir> [null|x11]   prefix ready + a persistent wineserver (pid file)
#   wine-prefix.sh prepare <builddir> [null|x11]   prefix ready, no server left running
#   wine-prefix.sh cleanup <builddir> [null|x11]   stop that prefix's wineserver
# The prefix is made once (wineboot takes several seconds); later calls only compare a marker.
# BIVANE_LOGPIXELS sets the screen's DPI the prefix's programs see (96 unless given; 120, 144 and
# 192 are 125%, 150% and 200%); a prefix set to another DPI is set back on its next use without it.
set -euo pipefail

usage() { echo "usage: $0 setup|prepare|cleanup <builddir> [null|x11]" >&2; exit 2; }
[ $# -ge 2 ] || usage
action=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-env.sh
source "$here/wine-env.sh" "$2" "${3:-null}"
flavour=$BIVANE_WINE_FLAVOUR
pidfile=$BIVANE_BUILD_DIR/wineserver-$flavour.pid
marker=$WINEPREFIX/.bivane-settings.reg
wine_fonts=/usr/share/wine/fonts

# The registry settings this prefix should have. Stored as the marker once applied,
# so a change here is applied to existing prefixes on the next run.
settings() {
    echo 'REGEDIT4'
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\WineDbg]'
    echo '"ShowCrashDialog"=dword:00000000'
    echo
    if [ "$flavour" = null ]; then
        # Windows can be created without any display; the null screen is 1024x768.
        echo '[HKEY_CURRENT_USER\Software\Wine\Drivers]'
        echo '"Graphics"="null"'
    else
        # Windows-style captions drawn by Wine rather than by the window manager.
        echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
        echo '"Decorated"="N"'
    fi
    echo
    # Liberation fonts have the same metrics as the Windows core fonts the program asks for.
    echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
    echo '"Courier New"="Liberation Mono"'
    echo '"Times New Roman"="Liberation Serif"'
    echo '"Arial"="Liberation Sans"'
    if [ ! -e "$wine_fonts/ms_sans_serif.ttf" ] && [ ! -e "$wine_fonts/sserife.fon" ]; then
        echo '"MS Sans Serif"="Liberation Sans"'
    fi
    # The scalable twin of MS Sans Serif that Windows has and Wine lacks (Wine's MS Sans Serif
    # comes in a few bitmap sizes only): Liberation Sans is within a few per cent of its widths.
    echo '"Microsoft Sans Serif"="Liberation Sans"'
    echo
    # The screen's DPI (100% is 96; 120, 144 and 192 are 125%, 150% and 200%).
    echo '[HKEY_CURRENT_USER\Control Panel\Desktop]'
    printf '"LogPixels"=dword:%08x\n' "${BIVANE_LOGPIXELS:-96}"
}

prepare() {
    local wanted
    wanted=$(settings)
    if [ -f "$marker" ] && [ "$(cat "$marker")" = "$wanted" ]; then
        return 0
    fi
    if [ ! -f "$marker" ] && [ -e "$WINEPREFIX" ]; then
        echo "wine-prefix.sh: $WINEPREFIX is incomplete, making it again" >&2
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
    if [ ! -e "$WINEPREFIX" ]; then
        echo "wine-prefix.sh: creating $WINEPREFIX (takes a few seconds, once)"
        timeout 300 wine wineboot -i >/dev/null 2>&1 || { echo "wine-prefix.sh: wineboot failed" >&2; exit 1; }
    fi
    printf '%s\n' "$wanted" > "$WINEPREFIX/drive_c/bivane-settings.reg"
    timeout 60 wine regedit /S 'C:\bivane-settings.reg' >/dev/null 2>&1
    # Debian's Wine does not load its own fonts (no MS Sans Serif, Tahoma, Marlett) unless copied in.
    cp -f "$wine_fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
    # The graphics driver and fonts are read when the server starts: restart it.
    wineserver -k >/dev/null 2>&1 || true
    timeout 60 wineserver -w
    printf '%s\n' "$wanted" > "$marker"
}

is_our_server() {
    local pid=$1
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && grep -q '^wineserver' "/proc/$pid/comm" 2>/dev/null
}

# The first program on a server starts services.exe, the desktop's explorer.exe and more; they
# live as long as the server and keep that program's output open, so a ctest test would wait
# for them. Start them here, with no output, by a program that creates a (hidden) window.
start_system_processes() {
    timeout 60 wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 9>&- || true
}

start_server() {
    if [ -f "$pidfile" ] && is_our_server "$(cat "$pidfile")"; then
        return 0
    fi
    # A server still serving an earlier program would refuse a second one: let it finish first.
    timeout 30 wineserver -w || true
    # Output to /dev/null: ctest waits for every process holding a test's output pipes.
    # Closing fd 9 keeps the server from holding the prefix lock for its whole life.
    # Its own session: a Ctrl-C or a CI's kill of our process group must not take the server
    # down under its clients (they then hang), but leave it to "cleanup".
    setsid wineserver -f -p60 </dev/null >/dev/null 2>&1 9>&- &
    local pid=$!
    echo "$pid" > "$pidfile"
    # Ready once it has made its socket, named after the prefix's device and inode; give up after 10 s.
    local dev ino socket
    read -r dev ino < <(stat -c '%d %i' "$WINEPREFIX")
    socket=$(printf 'server-%x-%x/socket' "$dev" "$ino")
    for _ in $(seq 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            # Not fatal: Wine then uses the other server, only each program start is slower.
            rm -f "$pidfile"
            echo "wine-prefix.sh: another wineserver is serving $WINEPREFIX; not starting a persistent one" >&2
            return 0
        fi
        if compgen -G "$TMPDIR/wine-*/$socket" >/dev/null; then
            start_system_processes
            return 0
        fi
        sleep 0.1
    done
    echo "wine-prefix.sh: wineserver for $WINEPREFIX is not answering" >&2
    exit 1
}

cleanup() {
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -f "$pidfile" ]; then
        local pid
        pid=$(cat "$pidfile")
        for _ in $(seq 50); do
            is_our_server "$pid" || break
            sleep 0.1
        done
        if is_our_server "$pid"; then
            kill -9 "$pid" 2>/dev/null || true
        fi
        rm -f "$pidfile"
    fi
    end_orphans
}

# Wine programs whose server died under them hang for ever; end those of this prefix by pid.
# Only Wine's own executables count: scripts like this one carry WINEPREFIX too.
end_orphans() {
    local environ pid
    for environ in /proc/[0-9]*/environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        case "$(readlink "/proc/$pid/exe" 2>/dev/null)" in
            /usr/lib/wine/*) ;;
            *) continue ;;
        esac
        if tr '\0' '\n' <"$environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            kill -9 "$pid" 2>/dev/null || true
        fi
    done
}

# Tests may run in parallel: one process at a time makes or changes the prefix.
lock() {
    exec 9>"$BIVANE_BUILD_DIR/wine-$flavour.lock"
    flock -w 120 9 || { echo "wine-prefix.sh: $WINEPREFIX is locked by another process" >&2; exit 1; }
}

case "$action" in
    setup)   lock; prepare; start_server ;;
    prepare) lock; prepare ;;
    cleanup) lock; cleanup ;;
    *) usage ;;
esac
