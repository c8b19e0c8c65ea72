#!/usr/bin/env bash
# scripts/package.sh on a fresh copy of the repository, with no build before it: it configures a
# Release build of its own, builds the two programs and makes the zip and its checksum.
#   package_fresh_test.sh <builddir>     (the copy is made, and removed, in a folder below it)
set -uo pipefail

[ $# -eq 1 ] || { echo "usage: $0 <builddir>" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d "$build/fresh-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# What a clone holds: the files git tracks (as they are in the working tree) and none it ignores.
mkdir "$work/src"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$work/src" || fail "cannot copy the repository"
[ ! -e "$work/src/build" ] || fail "the copy holds a build folder"

start=$(date +%s)
zip=$(cd "$work/src" && scripts/package.sh) || fail "package.sh failed on a fresh copy"
echo "package.sh on a fresh copy: $(( $(date +%s) - start )) s"
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$work/src/build/release/CMakeCache.txt" || fail "not a Release build"
[ "$(dirname "$zip")" = "$work/src/dist" ] || fail "the zip is at $zip"
(cd "$work/src/dist" && sha256sum --quiet -c "$(basename "$zip").sha256") || fail "the checksum does not match the zip"
listing=$(unzip -Z1 "$zip") || fail "the zip does not list"
for f in bivane.exe BVLIST.EXE README.txt LICENSE bivane-help.html; do
    grep -q "^bivane-[0-9.]*/$f\$" <<<"$listing" || fail "$f is not in the zip"
done
echo "package_fresh: ok"
