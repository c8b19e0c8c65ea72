#!/usr/bin/env bash
# Starts Bivane on a private virtual display and saves a picture of its main window.
#   screenshot.sh <out.png> [extra-command]
# The extra command runs with DISPLAY set and BIVANE_WINDOW holding the main window's X id,
# before the picture is taken (e.g. "xdotool key F5").
# Environment: BIVANE_EXE (default build/win/bivane.exe), BIVANE_BUILD_DIR (default: the exe's
# folder; holds the "x11" Wine prefix), BIVANE_START_DIR (the program's working folder, default
# the repository root), BIVANE_ARGS (the program's arguments, split at blanks) and BIVANE_TITLE
# (the window to wait for, default Bivane's main window). The viewer on a file, in hex:
#   BIVANE_EXE=build/win/bvlist.exe BIVANE_ARGS='Z:\path\file.txt' BIVANE_TITLE='BVLIST - file.txt' \
#       scripts/screenshot.sh viewer.png 'xdotool key h'
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 <out.png> [extra-command]" >&2
    exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
out=$(realpath -m "$1")
extra=${2:-}
exe=$(realpath -m "${BIVANE_EXE:-$root/build/win/bivane.exe}")
build_dir=${BIVANE_BUILD_DIR:-$(dirname "$exe")}
start_dir=${BIVANE_START_DIR:-$root}
title=${BIVANE_TITLE:-Bivane for Win95}
[ -f "$exe" ] || { echo "screenshot.sh: $exe not found (build it first)" >&2; exit 1; }

# shellcheck source=xvfb.sh
source "$here/xvfb.sh"
wine_pid=
finish() {
    "$here/wine-prefix.sh" cleanup "$build_dir" x11 || true
    if [ -n "$wine_pid" ]; then
        kill "$wine_pid" 2>/dev/null || true
        wait "$wine_pid" 2>/dev/null || true
    fi
    stop_private_display
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

start_private_display "$build_dir/home-x11"
timeout 300 "$here/wine-prefix.sh" setup "$build_dir" x11
# shellcheck source=wine-env.sh
source "$here/wine-env.sh" "$build_dir" x11
log=$build_dir/screenshot-wine.log
read -r -a args <<<"${BIVANE_ARGS:-}"
(cd "$start_dir" && exec wine "$exe" "${args[@]}") </dev/null >"$log" 2>&1 &
wine_pid=$!

# Wait up to a minute for the main window to be mapped.
window=
for _ in $(seq 240); do
    window=$(timeout 5 xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    if ! kill -0 "$wine_pid" 2>/dev/null; then
        echo "screenshot.sh: $exe ended before showing \"$title\"; its output:" >&2
        cat "$log" >&2
        exit 1
    fi
    sleep 0.25
done
[ -n "$window" ] || { echo "screenshot.sh: no window \"$title\" after 60 s" >&2; exit 1; }

if [ -n "$extra" ]; then
    BIVANE_WINDOW=$window timeout 60 bash -c "$extra"
fi
# Let the last repaint land.
sleep 1
mkdir -p "$(dirname "$out")"
timeout 30 import -window "$window" "$out"
echo "Screenshot of the window \"$title\": $out"
