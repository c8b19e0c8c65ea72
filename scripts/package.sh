#!/usr/bin/env bash
# Makes a release: dist/bivane-<version>-win64.zip, one folder bivane-<version>/ holding bivane.exe
# and BVLIST.EXE (stripped), the help document and its pictures, the user's README and the
# licence, and beside it bivane-<version>-win64.zip.sha256 (sha256sum -c reads it). The debug
# information stays in the build folder, in bivane.exe.debug and bvlist.exe.debug, which the
# stripped programs name (.gnu_debuglink). The version is resources/version.h's, the one place it
# is written.
#   scripts/package.sh                              builds the two programs, zip in dist/
#   scripts/package.sh --from <build> [--out <dir>] zip what that build folder holds (no build)
# Without --from it uses build/win, the test command's build, when that is an optimised build (so
# after the tests it only zips), else build/release. Prints the zip's path.
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
# makes, each taken when it is there; files of the repository as "<path>:<name in the zip>".
programs=("bivane.exe:bivane.exe" "bvlist.exe:BVLIST.EXE")
build_docs=("bivane-help.html" "bivane-help-images")
repo_files=("docs/README-user.md:README.txt" "LICENSE:LICENSE")
objcopy=x86_64-w64-mingw32-objcopy

version=$(sed -n 's/^#define BIVANE_VERSION_TEXT "\([0-9.]*\)"$/\1/p' resources/version.h)
[ -n "$version" ] || { echo "package.sh: no version in resources/version.h" >&2; exit 1; }

build_type() { sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$1/CMakeCache.txt" 2>/dev/null; }
optimised() { case $(build_type "$1") in Release|RelWithDebInfo|MinSizeRel) return 0 ;; *) return 1 ;; esac; }

if [ -z "$from" ]; then
    "$here/deps.sh"
    if optimised "$root/build/win"; then
        from=$root/build/win
    else
        from=$root/build/release
        if [ ! -f "$from/CMakeCache.txt" ]; then
            cmake -S . -B "$from" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
                -DCMAKE_BUILD_TYPE=Release >&2
        fi
    fi
    echo "package.sh: building bivane and bvlist in $from ($(build_type "$from"))" >&2
    cmake --build "$from" -j2 --target bivane bvlist >&2
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder=bivane-$version
mkdir "$stage/$folder"
for p in "${programs[@]}"; do
    built=$from/${p%%:*}
    [ -f "$built" ] || { echo "package.sh: $built is missing (build it first)" >&2; exit 1; }
    # The debug information goes beside the build; the zip's copy only names it.
    "$objcopy" --only-keep-debug "$built" "$built.debug"
    "$objcopy" --strip-all --add-gnu-debuglink="$built.debug" "$built" "$stage/$folder/${p#*:}"
done
for d in "${build_docs[@]}"; do
    if [ -e "$from/$d" ]; then cp -r "$from/$d" "$stage/$folder/"; fi
done
for f in "${repo_files[@]}"; do
    cp "$root/${f%%:*}" "$stage/$folder/${f#*:}"
done

mkdir -p "$out"
name=bivane-$version-win64.zip
rm -f "$out/$name" "$out/$name.sha256"
(cd "$stage" && zip -q -r -X "$out/$name" "$folder")
(cd "$out" && sha256sum "$name" >"$name.sha256")
echo "$out/$name"
