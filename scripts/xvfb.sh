# Sourced, never run: a private virtual display with a window manager, for tests and screenshots.
# shellcheck shell=bash
#   start_private_display <home-dir>   sets DISPLAY, BIVANE_XVFB_PID, BIVANE_OPENBOX_PID
#   stop_private_display               ends both, by pid
# Openbox matters: without a window manager new windows get no focus and key presses are lost.
# BIVANE_SCREEN sets the screen's size and depth (default 1024x768x24): a window at 200% needs
# about twice the room.

start_private_display() {
    local home=$1 n
    mkdir -p "$home"
    for n in $(seq 91 99); do
        if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then
            continue
        fi
        Xvfb ":$n" -screen 0 "${BIVANE_SCREEN:-1024x768x24}" -nolisten tcp </dev/null >/dev/null 2>&1 &
        BIVANE_XVFB_PID=$!
        for _ in $(seq 100); do
            kill -0 "$BIVANE_XVFB_PID" 2>/dev/null || break
            if DISPLAY=":$n" timeout 2 xdotool getdisplaygeometry >/dev/null 2>&1; then
                export DISPLAY=":$n"
                break 2
            fi
            sleep 0.1
        done
        # Lost a race for this number with someone else, or it never answered: try the next.
        kill "$BIVANE_XVFB_PID" 2>/dev/null || true
        wait "$BIVANE_XVFB_PID" 2>/dev/null || true
        BIVANE_XVFB_PID=
    done
    if [ -z "${BIVANE_XVFB_PID:-}" ]; then
        echo "xvfb.sh: could not start Xvfb on any of :91 to :99" >&2
        return 1
    fi
    # Openbox keeps its settings and caches under the given home, not the user's. On a busy
    # machine it can take a while, or die at start: give it time, and a second and third try.
    local attempt
    for attempt in 1 2 3; do
        HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache XDG_DATA_HOME=$home/.local/share \
            openbox --sm-disable </dev/null >/dev/null 2>&1 &
        BIVANE_OPENBOX_PID=$!
        # Desktops exist only once a window manager has taken over the screen.
        for _ in $(seq 150); do
            timeout 2 xdotool get_num_desktops >/dev/null 2>&1 && return 0
            kill -0 "$BIVANE_OPENBOX_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$BIVANE_OPENBOX_PID" 2>/dev/null || true
        wait "$BIVANE_OPENBOX_PID" 2>/dev/null || true
        BIVANE_OPENBOX_PID=
        echo "xvfb.sh: openbox did not start on $DISPLAY (try $attempt)" >&2
    done
    return 1
}

stop_private_display() {
    local pid
    for pid in "${BIVANE_OPENBOX_PID:-}" "${BIVANE_XVFB_PID:-}"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    BIVANE_OPENBOX_PID=
    BIVANE_XVFB_PID=
}
