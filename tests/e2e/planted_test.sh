#!/usr/bin/env bash
# No code runs from a folder the user did not choose. Copies of both programs run beside planted.dll
# copied under the name of each library they load on first use (cmake/delay-load), with Wine
# searching the path before taking its own (as Windows does for all but its known libraries); then
# again from a current directory holding those copies. They are used: the drive selector drawn, a
# delete to the recycle bin, the print dialog, help, the viewer's encoding menu. No copy may leave
# its marker, the winhlp32.exe lying in the browsed folder (recorder.exe) may not run, and the
# common controls stay the side-by-side store's version 6.   planted_test.sh <builddir>
# Every wait has a deadline; every process started here is ended by its pid on the way out.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
# shellcheck source=../../scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
# shellcheck source=x_windows.sh
source "$here/x_windows.sh"
work=
pids=()
failures=0
stop_programs() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done; pids=(); }
end_x_session_on_exit
fail() { echo "FAIL: $*"; failures=$((failures + 1)); return 1; }

# What the loader maps before the entry points: the system's known libraries only.
for exe in bivane.exe bvlist.exe; do
    imports=$(x86_64-w64-mingw32-objdump -p "$build/$exe" | sed -n 's/^\tDLL Name: //p')
    [[ $imports == *KERNEL32.dll* ]] && ! grep -qviE '^(kernel32|user32|gdi32|msvcrt)\.dll$' <<<"$imports" \
        || fail "$exe imports more than the known libraries:" $imports
done
names=$(sed -n 's/^LIBRARY \(.*\)\.dll\r*$/\1/Ip' "$root"/cmake/delay-load/*.def | tr 'A-Z\n' 'a-z,')
names=${names%,}

start_private_display "$build/home-x11" || exit 1
timeout 300 "$root/scripts/wine-prefix.sh" setup "$build" x11 || exit 1
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh" "$build" x11
work=$(mktemp -d "$build/planted-XXXXXX")

key_in() { timeout 5 xdotool windowfocus --sync "$1" key --delay 100 "${@:2}"; }
# use_programs <programs' folder> <folder started in>
use_programs() {
    local files=$2 main box
    printf 'text\r\n' | tee "$files/a.txt" >"$files/b.txt"
    (cd "$files" && WINEDEBUG=+loaddll WINEDLLOVERRIDES="$WINEDLLOVERRIDES;${names}=n,b" exec wine "$1/bivane.exe") \
        </dev/null >"$work/wine.log" 2>&1 &
    pids+=($!)
    main=$(wait_window 'Bivane for Win95') || fail "Bivane's window did not appear" || return 1
    key_in "$main" Home Down Down d  # [parent], A.txt, B.txt
    box=$(wait_window 'Confirm Delete') && key_in "$box" alt+y && window_gone 'Confirm Delete' \
        || fail "no delete confirmation to answer" || return 1
    key_in "$main" ctrl+p
    box=$(wait_window Print) && key_in "$box" Escape && window_gone Print || fail "no print dialog" || return 1
    # No help beside these copies: H hands the start-up folder's WBivane.HLP to the system's help
    # viewer, which says it is missing and offers another file.
    key_in "$main" h
    box=$(wait_window ERROR) && pids+=("$(xdotool getwindowpid "$box")") && key_in "$box" Return \
        && box=$(wait_window Open) && key_in "$box" Escape && window_gone Open || fail "no help viewer" || return 1
    key_in "$main" Home Down s
    box=$(wait_window 'BVLIST - a.txt') && pids+=("$(xdotool getwindowpid "$box")") || fail "no viewer" || return 1
    # The encoding menu takes the first Escape; the second closes the viewer.
    key_in "$box" e && sleep 1 && key_in "$box" Escape && sleep 1
    wait_window 'BVLIST - a.txt' >/dev/null && key_in "$box" Escape && window_gone 'BVLIST - a.txt' \
        || fail "the viewer's encoding menu did not take an Escape" || return 1
    [ -e "$XDG_DATA_HOME/Trash/files/b.txt" ] || fail "b.txt is not in the recycle bin"
    key_in "$main" q && box=$(wait_window Information) && key_in "$box" Return && window_gone 'Bivane for Win95' \
        || fail "Q did not close Bivane"
}

for planted in app files; do
    echo "== planted in the $planted folder"
    mkdir -p "$work/$planted/app" "$work/$planted/files"
    cp "$build/bivane.exe" "$work/$planted/app/"
    cp "$build/bvlist.exe" "$work/$planted/app/BVLIST.EXE"
    cp "$build/commands/recorder.exe" "$work/$planted/files/winhlp32.exe"
    for n in ${names//,/ }; do cp "$build/planted.dll" "$work/$planted/$planted/$n.dll"; done
    use_programs "$work/$planted/app" "$work/$planted/files"
    stop_programs
    # Version 6 lives in the side-by-side store only: one load there by each program.
    [ "$(grep -ci 'Loaded L"[^"]*winsxs[^"]*common-controls_[0-9a-f]*_6\.0\.[^"]*comctl32\.dll"' "$work/wine.log")" -ge 2 ] \
        || fail "the common controls did not come from the side-by-side store in both programs"
    found=$(cd "$work/$planted" && find . -name '*.loaded' -o -name recorder.log)
    [ -z "$found" ] || fail "planted code ran:" $found "$(grep -F 'Loaded L"Z:' "$work/wine.log" | grep -v '\.exe"')"
done
((failures == 0)) || { echo "planted: $failures failure(s)"; exit 1; }
echo "planted: nothing planted beside the programs or in the folder they started in was loaded or run"
