#!/usr/bin/env bash
# Makes a release: builds Bivane and its viewer in release mode (build/release) and writes
# dist/bivane-<version>-win64.zip, one folder bivane-<version>/ holding bivane.exe, BVLIST.EXE,
# the help document and its pictures, the README and the licence. The version is
# resources/version.h's, the one place it is written.
#   scripts/package.sh                              build/release, zip in dist/
#   scripts/package.sh --from <build> [--out <dir>] zip what that build folder holds (no build)
# Prints the zip's path.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
cd "$root"

usage() { echo "usage: $0 [--from <build-dir>] [--out <dir>]" >&2; exit 2; }
from=
out=$root/dist
while [ $# -gt 0 ]; do
    case $1 in
        --from) [ $# -ge 2 ] || usage; from=$(realpath -m "$2"); shift 2 ;;
        --out) [ $# -ge 2 ] || usage; out=$(realpath -m "$2"); shift 2 ;;
        *) usage ;;
    esac
done

# What goes in: programs as "<file in the build folder>:<name in the zip>"; documents the build
# may make, each taken when it is there; files of the repository.
programs=("bivane.exe:bivane.exe" "bvlist.exe:BVLIST.EXE")
build_docs=("bivane-help.html" "bivane-help-images")
repo_files=("README.md" "LICENSE")

version=$(sed -n 's/^#define BIVANE_VERSION_TEXT "\([0-9.]*\)"$/\1/p' resources/version.h)
[ -n "$version" ] || { echo "package.sh: no version in resources/version.h" >&2; exit 1; }

if [ -z "$from" ]; then
    "$here/deps.sh"
    from=$root/build/release
    if [ ! -f "$from/CMakeCache.txt" ]; then
        cmake -S . -B "$from" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
            -DCMAKE_BUILD_TYPE=Release >&2
    fi
    cmake --build "$from" -j2 --target bivane bvlist >&2
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder=bivane-$version
mkdir "$stage/$folder"
for p in "${programs[@]}"; do
    [ -f "$from/${p%%:*}" ] || { echo "package.sh: $from/${p%%:*} is missing (build it first)" >&2; exit 1; }
    cp "$from/${p%%:*}" "$stage/$folder/${p#*:}"
done
for d in "${build_docs[@]}"; do
    if [ -e "$from/$d" ]; then cp -r "$from/$d" "$stage/$folder/"; fi
done
for f in "${repo_files[@]}"; do
    cp "$root/$f" "$stage/$folder/"
done

mkdir -p "$out"
zip=$out/bivane-$version-win64.zip
rm -f "$zip"
(cd "$stage" && zip -q -r -X "$zip" "$folder")
echo "$zip"
