#!/usr/bin/env bash
# Mounts the fault-injecting file system (faultfs.py) for the reliability tests, and takes it away.
#   faultfs.sh setup|cleanup <builddir>
# Setup mounts <build>/faultfs-mount over <build>/faultfs-backing, its faults read from
# <build>/faultfs-control, and links it as drive F: in the headless prefix. Exit 77: no FUSE here.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 setup|cleanup <builddir>" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "$2" && pwd)
mnt=$build/faultfs-mount
pidfile=$build/faultfs.pid
dos=$build/wine-null/dosdevices

stop() {
    rm -f "$dos/f:"
    mountpoint -q "$mnt" && { umount "$mnt" 2>/dev/null || umount -l "$mnt"; }
    if [ -f "$pidfile" ]; then
        pid=$(cat "$pidfile")
        kill -INT "$pid" 2>/dev/null
        for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
        kill -KILL "$pid" 2>/dev/null
        rm -f "$pidfile"
    fi
    true
}

case $1 in
setup)
    stop
    [ -e /dev/fuse ] && /usr/bin/python3 -c 'import fusepy' 2>/dev/null || { echo "faultfs.sh: no FUSE here"; exit 77; }
    rm -rf "$build/faultfs-backing"
    mkdir -p "$build/faultfs-backing" "$mnt"
    : > "$build/faultfs-control"
    setsid /usr/bin/python3 "$here/faultfs.py" "$build/faultfs-backing" "$mnt" "$build/faultfs-control" \
        > "$build/faultfs.log" 2>&1 < /dev/null &
    echo $! > "$pidfile"
    for _ in $(seq 100); do
        mountpoint -q "$mnt" && { mkdir -p "$dos" && ln -sfn "$mnt" "$dos/f:"; exit 0; }
        sleep 0.05
    done
    echo "faultfs.sh: the mount did not come up:" >&2
    cat "$build/faultfs.log" >&2
    stop
    exit 1
    ;;
cleanup) stop ;;
*) echo "usage: $0 setup|cleanup <builddir>" >&2; exit 2 ;;
esac
