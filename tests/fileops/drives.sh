#!/usr/bin/env bash
# Extra drive letters for the file operation tests, in the build folder's Wine prefix:
#   D: a plain folder (copies into a drive's root);
#   S: a 512 KiB tmpfs (a disk that really fills up), only where mounting is allowed.
#   drives.sh setup|cleanup <builddir>
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 setup|cleanup <builddir>" >&2; exit 2; }
build=$(cd "$2" && pwd)
dos=$build/wine-null/dosdevices
d=$build/fileops-d
s=$build/fileops-s

case $1 in
setup)
    [ -d "$dos" ] || { echo "drives.sh: no prefix at $build/wine-null" >&2; exit 1; }
    mkdir -p "$d" "$s"
    ln -sfn "$d" "$dos/d:"
    if mountpoint -q "$s" || mount -t tmpfs -o size=512k tmpfs "$s" 2>/dev/null; then
        ln -sfn "$s" "$dos/s:"
    else
        echo "drives.sh: cannot mount a tmpfs here; the real disk-full test will be skipped"
        rm -f "$dos/s:"
    fi
    ;;
cleanup)
    rm -f "$dos/d:" "$dos/s:"
    mountpoint -q "$s" && umount "$s"
    rm -rf "$d"
    rmdir "$s" 2>/dev/null
    true
    ;;
*) echo "usage: $0 setup|cleanup <builddir>" >&2; exit 2 ;;
esac
