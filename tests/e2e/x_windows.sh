# Sourced, never run: waiting on the windows of the virtual display by their exact titles.
# shellcheck shell=bash
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
