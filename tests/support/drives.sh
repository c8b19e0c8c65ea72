#!/usr/bin/env bash
# Extra drive letters for the in-process tests, in the build folder's headless Wine prefix:
#   D: a plain folder labelled BVTEST (copies into a drive's root, cross-drive moves, labels);
#   M: a link to a folder that does not exist (a drive that does not respond);
#   S: a 512 KiB tmpfs (a disk that really fills up), only where mounting is allowed.
# Runs before the wineserver starts, because the server reads volume labels when it starts.
#   drives.sh setup|cleanup <builddir>
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 setup|cleanup <builddir>" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "$2" && pwd)
dos=$build/wine-null/dosdevices
d=$build/drive-d
s=$build/drive-s

case $1 in
setup)
    "$here/../../scripts/wine-prefix.sh" prepare "$build" null || exit 1
    mkdir -p "$d" "$s"
    echo BVTEST > "$d/.windows-label"
    ln -sfn "$d" "$dos/d:"
    ln -sfn "$build/drive-missing" "$dos/m:"
    if mountpoint -q "$s" || mount -t tmpfs -o size=512k tmpfs "$s" 2>/dev/null; then
        ln -sfn "$s" "$dos/s:"
    else
        echo "drives.sh: cannot mount a tmpfs here; the real disk-full test will be skipped"
        rm -f "$dos/s:"
    fi
    ;;
cleanup)
    rm -f "$dos/d:" "$dos/s:" "$dos/m:"
    mountpoint -q "$s" && umount "$s"
    rm -rf "$d"
    rmdir "$s" 2>/dev/null
    true
    ;;
*) echo "usage: $0 setup|cleanup <builddir>" >&2; exit 2 ;;
esac
