#!/usr/bin/env bash
# Files the reliability tests need that are slow or impossible to make through Wine, made on the
# host in the folder behind drive D: (tests/support/drives.sh):
#   D:\many\     <count> empty files F000001.txt ... (Wine searches a folder linearly for each new
#                name, so making 100,000 files from inside takes most of an hour)
#   D:\hostile\  names Windows itself cannot hold: two names that differ only in case, and a name
#                with a character Windows forbids
#   host_files.sh setup <builddir> <count> | cleanup <builddir>
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 setup <builddir> <count> | cleanup <builddir>" >&2; exit 2; }
d=$(cd "$2" && pwd)/drive-d
case $1 in
setup)
    [ $# -eq 3 ] || { echo "usage: $0 setup <builddir> <count>" >&2; exit 2; }
    [ -d "$d" ] || { echo "host_files.sh: $d is missing (drives.sh setup first)" >&2; exit 1; }
    rm -rf "$d/many" "$d/hostile"
    mkdir -p "$d/many" "$d/hostile"
    (cd "$d/many" && seq -f 'F%06g.txt' 1 "$3" | xargs touch)
    printf 'upper and lower' > "$d/hostile/Same.txt"
    printf 'ALL UPPER CASE' > "$d/hostile/SAME.TXT"
    printf 'angle' > "$d/hostile/<angle.txt"
    touch -d '2001-02-03 04:05' "$d/hostile/"*
    ;;
cleanup)
    rm -rf "$d/many" "$d/hostile"
    ;;
*) echo "usage: $0 setup <builddir> <count> | cleanup <builddir>" >&2; exit 2 ;;
esac
