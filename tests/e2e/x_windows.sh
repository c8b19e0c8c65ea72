# Sourced, never run: the end every end-to-end script shares, and waiting on the windows of the
# virtual display by their exact titles.
# shellcheck shell=bash

# end_x_session_on_exit: when the script ends, however it ends, the programs it started are
# stopped (its own stop_programs), then the x11 prefix's server, the display and $work go.
end_x_session_on_exit() {
    trap end_x_session EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}
end_x_session() {
    stop_programs
    "$root/scripts/wine-prefix.sh" cleanup "$build" x11 >/dev/null 2>&1 || true
    stop_private_display
    [ -n "$work" ] && rm -rf "$work"
}
# wait_window <title>: the X id of the visible window with exactly that title, within 30 s.
wait_window() {
    local id deadline=$((SECONDS + 30))
    while ((SECONDS < deadline)); do
        id=$(timeout 5 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.25
    done
    return 1
}
window_gone() {  # window_gone <title>: within 15 s
    local deadline=$((SECONDS + 15))
    while ((SECONDS < deadline)); do
        timeout 5 xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.25
    done
    return 1
}
