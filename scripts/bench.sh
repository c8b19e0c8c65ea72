#!/usr/bin/env bash
# The benchmark command: builds the Windows program and its benchmarks (build/win), makes the big
# benchmark folders on the host, runs every benchmark under the headless Wine prefix and prints
# one markdown table: each case's value, the reference measured in the same run, their ratio,
# the target and whether it was met.
#   scripts/bench.sh [load|sort|tag|compare|memory|copy|startup|viewer|size|follow|find|sync ...]   (all of them by default)
# Folders are made once under build/win/bench-data (a "<folder>.complete" marker beside each) and
# reused; delete that folder to make them again. They are made here and not inside Wine, where
# every new file name is looked up in its whole folder ignoring case: making 100,000 files there
# takes most of an hour. Needs about 1.1 GB of disk and takes several minutes (1,000,000 files).
# The table is also written to build/win/bench-results.md. Exits non-zero if a benchmark failed.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
cd "$root"
build=build/win
data=$root/$build/bench-data
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(load sort tag compare memory copy startup viewer size follow find sync)
wants() { [[ " ${cases[*]} " == *" $1 "* ]]; }

echo "== build" >&2
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" >/dev/null
else
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
fi
cmake --build "$build" -j2 >&2

echo "== data in $data" >&2
mkdir -p "$data"
folder() {  # folder <name> <count> [bench-data.py options...]: made on first use
    local name=$1 count=$2; shift 2
    python3 "$here/bench-data.py" "$data/$name" "$count" "$@" >&2
}
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# shellcheck source=wine-env.sh
source "$here/wine-env.sh" "$build" null
"$here/wine-prefix.sh" setup "$build" null >&2
trap '"$here/wine-prefix.sh" cleanup "$root/$build" null >&2 || true' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

rows=$(mktemp)
failed=0
run() {  # run <program> <args...>: its ROW lines are kept, everything else goes to stderr
    echo "== $*" >&2
    local out rc=0
    out=$(timeout 7200 wine "$build/$1.exe" "${@:2}" 2> >(grep -v '^fixme' >&2)) || rc=$?
    out=${out//$'\r'/}  # the console under Wine ends lines with CR LF
    printf '%s\n' "$out" | grep -v '^ROW|' >&2 || true
    printf '%s\n' "$out" | grep '^ROW|' >>"$rows" || true
    if [ "$rc" -ne 0 ]; then
        echo "bench.sh: $1 failed ($rc)" >&2
        failed=1
    fi
}

if wants load; then
    folder files10000 10000 --seed 1
    folder files100000 100000 --seed 2
    folder files1000000 1000000 --seed 3
    run load_bench "$(winpath "$data/files10000")" "$(winpath "$data/files100000")" "$(winpath "$data/files1000000")"
fi
if wants sort; then
    folder files100000 100000 --seed 2
    run sort_bench "$(winpath "$data/files100000")"
fi
if wants tag; then
    folder files100000 100000 --seed 2
    run tag_bench "$(winpath "$data/files100000")"
fi
if wants compare; then
    # It makes its two sides itself, with the host's tools, under BIVANE_BENCH_DIR.
    BIVANE_BENCH_DIR=$(winpath "$data") run compare_bench 100000
fi
if wants memory; then
    folder files100000 100000 --seed 2
    run mem_bench "$(winpath "$data/files100000")"
fi
if wants copy; then
    if [ ! -f "$data/big1g.bin.complete" ]; then
        head -c $((1 << 30)) /dev/urandom >"$data/big1g.bin"
        touch "$data/big1g.bin.complete"
    fi
    folder small1000 1000 --seed 8 --bytes 2048
    folder small10000 10000 --seed 6 --bytes 2048
    folder tree10000 10000 --seed 10 --bytes 2048 --folders 100
    mkdir -p "$data/copy-work"
    # What the cases before wrote (the comparison makes 200,000 files) is written back to the disk
    # first: otherwise that writing falls on the copies, on theirs more than on the system's.
    sync
    run copy_bench "$(winpath "$data/big1g.bin")" "$(winpath "$data/copy-work")" \
        "$(winpath "$data/small1000")" "$(winpath "$data/small10000")" "tree:$(winpath "$data/tree10000")"
fi
if wants startup; then
    folder files100 100 --seed 7
    folder files100000 100000 --seed 2
    run startup_bench "$(winpath "$root/$build/bivane.exe")" "$(winpath "$root/$build/bare_window.exe")" \
        "$(winpath "$root/$build/bare_enum.exe")" "$(winpath "$data/files100")" "$(winpath "$data/files100000")" 5
fi
if wants viewer; then
    # It makes its files itself on first use: a 1 KB file, 100 MB of text, of 1,000,000 lines and
    # of one line, a 5 GB sparse file, and 1 GB each of UTF-8 and UTF-16 text for the searches.
    run viewer_bench "$(winpath "$data")" 100 5120 1024
fi
if wants size; then
    folder tree100000 100000 --seed 9 --folders 1000
    run size_bench "$(winpath "$data/tree100000")"
fi
if wants follow; then
    # A file made by a host program, 20 times, in 10 and in 100,000 files; then 10,000 at once.
    folder files10 10 --seed 11
    folder files100000 100000 --seed 2
    mkdir -p "$data/follow-burst"
    run follow_bench "$(winpath "$data/files10")" "$(winpath "$data/files100000")" "$(winpath "$data/follow-burst")" 20
fi
if wants find; then
    # Names in a tree of 100,000; a text no file holds in 1 GB of 10,000 files; a million results.
    folder tree100000 100000 --seed 9 --folders 1000
    folder text10000 10000 --seed 12 --bytes 107374 --folders 100
    folder files1000000 1000000 --seed 3
    run find_bench "$(winpath "$data/tree100000")" "$(winpath "$data/text10000")" "$(winpath "$data/files1000000")"
fi
if wants sync; then
    # Two copies of a tree of 100,000 and of 1 GB in 10,000 files (cp -a keeps every date); a
    # million files against an empty folder.
    folder tree100000 100000 --seed 9 --folders 1000
    folder text10000 10000 --seed 12 --bytes 107374 --folders 100
    folder files1000000 1000000 --seed 3
    for tree in tree100000 text10000; do
        if [ ! -f "$data/$tree.twin.complete" ]; then
            rm -rf "$data/$tree.twin"
            cp -a "$data/$tree" "$data/$tree.twin"
            touch "$data/$tree.twin.complete"
        fi
    done
    run sync_bench "$(winpath "$data/tree100000")" "$(winpath "$data/tree100000.twin")" "$(winpath "$data/text10000")" \
        "$(winpath "$data/text10000.twin")" "$(winpath "$data/files1000000")"
fi

{
    echo "| Case | Time | Reference | Reference time | Ratio | Target | Met |"
    echo "|---|---:|---|---:|---:|---|---|"
    while IFS='|' read -r _ name value ref refValue ratio target met; do
        echo "| $name | $value | $ref | $refValue | $ratio | $target | $met |"
    done <"$rows"
} | tee "$build/bench-results.md"
rm -f "$rows"
exit "$failed"
