#!/usr/bin/env bash
# The release as a user gets it: scripts/package.sh zips this build's programs; the zip matches
# its checksum, its programs are stripped, its README is the user's; it is unpacked into an empty
# folder, and bivane.exe started from there (on a private virtual display)
# shows a text file in the viewer when S is pressed: a window "BVLIST - <name>" of the BVLIST.EXE
# that came in the zip, not of one lying in the browsed folder. Both are then closed by their keys.
#   release_test.sh <builddir>
# Every wait has a deadline; every process started here is ended by its pid on the way out.
set -uo pipefail

[ $# -eq 1 ] || { echo "usage: $0 <builddir>" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)

# shellcheck source=../../scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
work=
bivane_pid=
stop_programs() {
    if [ -n "$bivane_pid" ] && kill -0 "$bivane_pid" 2>/dev/null; then
        kill "$bivane_pid" 2>/dev/null
        wait "$bivane_pid" 2>/dev/null
    fi
}
fail() { echo "FAIL: $*"; [ -f "$work/wine.log" ] && sed 's/^/    /' "$work/wine.log"; exit 1; }
# shellcheck source=x_windows.sh
source "$here/x_windows.sh"
end_x_session_on_exit

work=$(mktemp -d "$build/release-XXXXXX")
zip=$("$root/scripts/package.sh" --from "$build" --out "$work/dist") || fail "package.sh failed"
version=$(sed -n 's/^#define BIVANE_VERSION_TEXT "\([0-9.]*\)"$/\1/p' "$root/resources/version.h")
[ "$(basename "$zip")" = "bivane-$version-win64.zip" ] || fail "the zip is called $(basename "$zip")"
mkdir "$work/unpacked"
unzip -q "$zip" -d "$work/unpacked" || fail "the zip does not unpack"
app=$work/unpacked/bivane-$version
for f in bivane.exe BVLIST.EXE README.txt LICENSE bivane-help.html; do
    [ -f "$app/$f" ] || fail "$f is not in the zip"
done
# The checksum beside the zip is the zip's.
[ -f "$zip.sha256" ] || fail "no $(basename "$zip").sha256 beside the zip"
(cd "$(dirname "$zip")" && sha256sum --quiet -c "$(basename "$zip").sha256") \
    || fail "the checksum does not match the zip"
# Stripped programs: no debug sections; the debug information stays beside the build, named by the
# program's debug link.
for f in bivane.exe BVLIST.EXE; do
    sections=$(x86_64-w64-mingw32-objdump -h "$app/$f") || fail "objdump cannot read $f"
    grep -q ' \.text ' <<<"$sections" || fail "objdump shows no sections in $f"
    grep -q ' \.debug_' <<<"$sections" && fail "$f carries debug sections: $(grep -o '\.debug_[a-z_]*' <<<"$sections" | tr '\n' ' ')"
    grep -q ' \.gnu_debuglink ' <<<"$sections" || fail "$f does not name its debug file"
done
for f in bivane.exe bvlist.exe; do
    x86_64-w64-mingw32-objdump -h "$build/$f.debug" | grep -q ' \.debug_info ' \
        || fail "$build/$f.debug holds no debug information"
done
# The user's README: no developer text, and no picture or link relative to a folder the zip does
# not hold (the developers' README shows pictures of docs/).
readme_faults() {
    grep -iE 'scripts/|ctest|cmake|wine' "$1" | head -n 1
    grep -oE '\]\([^)]*\)|<img[^>]*>|src="[^"]*"' "$1" | grep -vE '\((https?:)?//|src="(https?:)?//'
}
faults=$(readme_faults "$app/README.txt")
[ -z "$faults" ] || fail "README.txt is not the user's: $faults"
[ -n "$(readme_faults "$root/README.md")" ] || fail "the README check finds nothing in the developers' README"
mkdir "$work/files"
printf 'Hello from the release.\r\n' >"$work/files/note.txt"
# A BVLIST.EXE left in the browsed folder (here a copy of bivane.exe) must not be the one that runs.
cp "$app/bivane.exe" "$work/files/BVLIST.EXE"

start_private_display "$build/home-x11" || fail "no virtual display"
timeout 300 "$root/scripts/wine-prefix.sh" setup "$build" x11 || fail "no Wine prefix"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh" "$build" x11
(cd "$work/files" && exec wine "$app/bivane.exe") </dev/null >"$work/wine.log" 2>&1 &
bivane_pid=$!
main=$(wait_window 'Bivane for Win95') || fail "Bivane's window did not appear"
timeout 5 xdotool windowfocus --sync "$main" >/dev/null 2>&1

# The list starts at its first row ([parent]); then Bvlist.exe, then the file.
viewer=
for _ in 1 2 3; do
    xdotool key --delay 100 Home Down Down s
    viewer=$(wait_window 'BVLIST - note.txt') && break
done
[ -n "$viewer" ] || fail "no viewer window titled \"BVLIST - note.txt\" after S"
# The viewer that runs is the one from the zip (Wine maps the program's file), not one found elsewhere.
viewer_pid=$(xdotool getwindowpid "$viewer" 2>/dev/null)
grep -qF "$app/BVLIST.EXE" "/proc/$viewer_pid/maps" 2>/dev/null \
    || fail "the viewer is not the zip's: $(grep -i 'bvlist' "/proc/$viewer_pid/maps" | head -n 1)"

xdotool windowfocus --sync "$viewer" key Escape
window_gone 'BVLIST - note.txt' || fail "Escape did not close the viewer"
timeout 5 xdotool windowfocus --sync "$main" >/dev/null 2>&1
xdotool key --delay 100 q
wait_window 'Information' >/dev/null || fail "Q did not ask to close Bivane"
xdotool key Return
for _ in $(seq 60); do kill -0 "$bivane_pid" 2>/dev/null || break; sleep 0.25; done
kill -0 "$bivane_pid" 2>/dev/null && fail "Bivane did not end"
wait "$bivane_pid" 2>/dev/null
bivane_pid=
echo "release: the unpacked zip's bivane.exe showed note.txt in its BVLIST.EXE; both closed"
