#!/usr/bin/env bash
# End-to-end tests: the real bivane.exe on a private virtual display (Xvfb + openbox), driven only
# by xdotool key presses and clicks. What it shows is read from outside by peek.exe (window
# texts, list rows, status bars, dialogs); what it did is read from the file system.
#   run_e2e.sh <builddir>
# Every wait has a deadline, so a dialog that stays open fails the test instead of hanging it.
# Every process started here is ended by its pid on the way out.
set -uo pipefail

[ $# -eq 1 ] || { echo "usage: $0 <builddir>" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
exe=$build/bivane.exe
peek_exe=$build/peek.exe
[ -f "$exe" ] && [ -f "$peek_exe" ] || { echo "run_e2e.sh: build bivane.exe and peek.exe first" >&2; exit 2; }

# shellcheck source=../../scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
work=
bivane_pid=
failures=0
stop_bivane() {
    if [ -n "$bivane_pid" ] && kill -0 "$bivane_pid" 2>/dev/null; then
        kill "$bivane_pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$bivane_pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$bivane_pid" 2>/dev/null
        wait "$bivane_pid" 2>/dev/null
    fi
    bivane_pid=
}

stop_programs() { stop_bivane; }
# shellcheck source=x_windows.sh
source "$here/x_windows.sh"
end_x_session_on_exit

start_private_display "$build/home-x11" || exit 1
timeout 300 "$root/scripts/wine-prefix.sh" setup "$build" x11 || exit 1
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh" "$build" x11
work=$(mktemp -d "$build/e2e-XXXXXX")
trash=$XDG_DATA_HOME/Trash/files
state=$work/peek.txt

# ---- the program
start_bivane() {  # start_bivane <folder>
    (cd "$1" && exec wine "$exe") </dev/null >>"$work/wine.log" 2>&1 &
    bivane_pid=$!
    local deadline=$((SECONDS + 60))
    until timeout 5 xdotool search --onlyvisible --name '^Bivane for Win95$' >/dev/null 2>&1; do
        if ((SECONDS > deadline)) || ! kill -0 "$bivane_pid" 2>/dev/null; then
            fail "the main window did not appear"
            return 1
        fi
        sleep 0.25
    done
    wait_for "the left list has the focus" 'focus_is L'
}


# ---- reading its state
peek() { timeout 20 wine "$peek_exe" >"$state" 2>/dev/null; }
line_is() { grep -qxF "$(printf '%s\t' "$@" | sed 's/\t$//')" "$state"; }
focus_is() { awk -F'\t' -v s="$1" '$1=="focus" && $2==s {f=1} END {exit !f}' "$state"; }
# The title shows a shortened path: compare its last component.
tail_of() { echo "\\$(basename "$1")"; }
title_in() { title_ends "$1" "$2"; }
window_is() { C=$1 T=$2 awk -F'\t' '$1=="window" && $2==ENVIRON["C"] && $3==ENVIRON["T"] {f=1} END {exit !f}' "$state"; }
no_window() { ! grep -q $'^window\t' "$state"; }
# row_has <side> <name> [mark] [state]: the list shows the entry (with that mark and S/F state).
row_has() {
    awk -F'\t' -v s="$1" -v n="$2" -v m="${3:-}" -v st="${4:-}" \
        '$1=="row" && $2==s && $4==n && (m=="" || $7==m) && (st=="" || $8==st) {f=1} END {exit !f}' "$state"
}
row_missing() { ! row_has "$1" "$2"; }
size_is() { awk -F'\t' -v s="$1" -v n="$2" -v z="$3" '$1=="row" && $2==s && $4==n && $5==z {f=1} END {exit !f}' "$state"; }
names() { awk -F'\t' -v s="$1" '$1=="row" && $2==s && $4!="[parent]" {printf "%s ", $4}' "$state"; }
names_are() { [ "$(names "$1")" = "$2" ]; }
status_has() { awk -F'\t' -v s="$1" -v t="$2" '$1=="status" && $2==s && index($0, t) {f=1} END {exit !f}' "$state"; }
# (texts go through the environment: awk -v would read the backslashes of paths as escapes)
title_ends() { S=$1 T=$2 awk -F'\t' '$1=="title" && $2==ENVIRON["S"] && substr($3, length($3)-length(ENVIRON["T"])+1)==ENVIRON["T"] {f=1} END {exit !f}' "$state"; }
goto_is() { line_is goto "$1" "$2"; }
checked() { awk -F'\t' -v t="$1" '$1=="control" && $3==t && $4=="1" {f=1} END {exit !f}' "$state"; }

fail() {
    echo "FAIL: $*"
    echo "---- what the window showed:"
    sed 's/^/    /' "$state" 2>/dev/null
    failures=$((failures + 1))
    return 1
}

# wait_for <what> <checks>: peeks until the checks (shell code) hold, 15 s at most.
wait_for() {
    local what=$1; shift
    local deadline=$((SECONDS + 15))
    while :; do
        peek && eval "$*" && return 0
        ((SECONDS > deadline)) && { fail "$what"; return 1; }
        sleep 0.3
    done
}

# ---- giving input
key() { xdotool key --delay 80 "$@"; sleep 0.2; }
type_text() { xdotool type --delay 80 "$1"; sleep 0.2; }
# click_row <side> <name> [name|icon|size] [key]: a left click on the entry's name (or its icon,
# or its Size cell), with that key held (alt, ctrl) when given.
click_row() {
    peek
    local at field=9
    case ${3:-name} in icon) field=10 ;; size) field=11 ;; esac
    at=$(awk -F'\t' -v s="$1" -v n="$2" -v f="$field" '$1=="row" && $2==s && $4==n {print $f}' "$state")
    [ -n "$at" ] || { fail "no row $2 on side $1 to click"; return 1; }
    xdotool mousemove "${at%,*}" "${at#*,}"
    if [ -n "${4:-}" ]; then xdotool keydown "$4" click 1 keyup "$4"; else xdotool click 1; fi
    # Past the double-click time: the next click is a click of its own.
    sleep 0.7
}
# focus_row <side> <name>: moves the list's focus there with Home and Down, as a user would.
focus_row() {
    peek
    local side=$1 name=$2 i
    i=$(awk -F'\t' -v s="$side" -v n="$name" '$1=="row" && $2==s && $4==n {print $3}' "$state")
    [ -n "$i" ] || { fail "no row $name on side $side"; return 1; }
    key Home
    ((i > 0)) && xdotool key --delay 60 $(printf 'Down %.0s' $(seq "$i"))
    wait_for "$name focused on side $side" 'row_has "$side" "$name" "" SF'
}

# run_scenario <function> <what it does>: the scenario in a folder of its own (its argument), and
# the program stopped after it, however it ended.
run_scenario() {
    echo "== $2"
    mkdir -p "$work/$1"
    declare -F "$1" >/dev/null || { fail "no scenario called $1"; return; }  # defined after its run line
    "$1" "$work/$1"
    stop_bivane
}
# open_sides <folder> <left> <right>: from both sides in folder, the right side into its subfolder
# right and the left one into left, by keys alone; the left side ends active.
open_sides() {
    local w=$1 left=$2 right=$3
    key space
    focus_row R "<$right>" && key Return
    wait_for "right side in $right" 'title_in R "$(tail_of "$w/$right")"' || return 1
    key space
    focus_row L "<$left>" && key Return
    wait_for "left side in $left" 'title_in L "$(tail_of "$w/$left")"' || return 1
}
# file_ci <dir> <name>: the path of the file of that name ignoring case, or nothing.
file_ci() { find "$1" -maxdepth 1 -iname "$2" -print -quit 2>/dev/null; }

# ---- the road of one copy, a tagged move, a delete to the recycle bin
copy_move_delete() {
    local w=$1
    mkdir -p "$w/src" "$w/dst"
    for f in one two three; do echo "text of $f" >"$w/src/$f.txt"; done
    start_bivane "$w" || return 1
    open_sides "$w" dst src || return 1

    # Click a file on the right, F10 twice, C, Yes.
    click_row R One.txt || return 1
    wait_for "the click made the right side active" 'focus_is R' || return 1
    key F10 F10
    wait_for "two files tagged" \
        'row_has R One.txt Y && row_has R Three.txt Y && row_has R Two.txt N && status_has R "Tag: 0k (2)"' || return 1
    key c
    wait_for "the copy confirmation" 'window_is ConfirmDialog "Confirm Copy"' || return 1
    checked "&Tagged files..." || fail "the tagged files are the choice" || return 1
    key alt+y
    wait_for "the copy ends with the target reloaded and the first copied file selected" \
        'no_window && names_are L "One.txt Three.txt " && row_has L One.txt N SF' || return 1
    row_has R One.txt Y && row_has R Three.txt Y || fail "the source keeps its tags" || return 1
    # Targets keep the source's own name ("one.txt"), whatever the caption shows ("One.txt").
    cmp -s "$w/src/one.txt" "$w/dst/one.txt" && cmp -s "$w/src/three.txt" "$w/dst/three.txt" \
        || fail "copied files differ or were renamed" || return 1
    [ -z "$(file_ci "$w/dst" two.txt)" ] || fail "an untagged file was copied" || return 1

    # A tagged move: untag all, tag Two.txt in place (F9), M, Yes.
    key u
    wait_for "untagged" 'row_has R One.txt N && row_has R Three.txt N' || return 1
    focus_row R Two.txt && key F9
    wait_for "Two.txt tagged" 'row_has R Two.txt Y' || return 1
    key m
    wait_for "the move confirmation" 'window_is ConfirmDialog "Confirm Move"' || return 1
    key alt+y
    wait_for "Two.txt moved to the left side" 'no_window && row_has L Two.txt && row_missing R Two.txt' || return 1
    [ -n "$(file_ci "$w/dst" two.txt)" ] && [ ! -e "$w/src/two.txt" ] || fail "two.txt was not moved on disk" || return 1

    # Delete One.txt on the left to the recycle bin.
    key space
    focus_row L One.txt && key d
    wait_for "the delete confirmation" 'window_is ConfirmDialog "Confirm Delete"' || return 1
    checked "&Send to recycle bin (allow undelete)" || key alt+s
    wait_for "recycle bin chosen" 'checked "&Send to recycle bin (allow undelete)"' || return 1
    key alt+y
    wait_for "One.txt gone from the left list" 'no_window && row_missing L One.txt' || return 1
    [ -z "$(file_ci "$w/dst" one.txt)" ] || fail "one.txt still on disk" || return 1
    [ -n "$(file_ci "$trash" one.txt)" ] || fail "one.txt is not in the recycle bin ($trash)" || return 1
}

# ---- browsing, sorting, GoTo, new directory, rename, closing
browse_and_edit() {
    local w=$1
    mkdir -p "$w/sub"
    echo inner >"$w/sub/inner.txt"
    head -c 300 /dev/zero >"$w/alpha.txt"; touch -d '2023-03-01 10:00' "$w/alpha.txt"
    head -c 100 /dev/zero >"$w/beta.dat";  touch -d '2021-03-01 10:00' "$w/beta.dat"
    head -c 200 /dev/zero >"$w/gamma.bin"; touch -d '2022-03-01 10:00' "$w/gamma.bin"
    start_bivane "$w" || return 1

    # Enter on a directory, then on "[parent]".
    focus_row L "<sub>" && key Return
    wait_for "Enter opened sub" 'title_in L "$(tail_of "$w/sub")" && row_has L Inner.txt' || return 1
    focus_row L "[parent]" && key Return
    wait_for "Enter on [parent] went up" 'title_in L "$(tail_of "$w")"' || return 1
    # F4 opens a directory in the right pane, F4 on [parent] there goes up, F3 opens in the left.
    focus_row L "<sub>" && key F4
    wait_for "F4 opened sub on the right" 'title_in R "$(tail_of "$w/sub")" && focus_is R' || return 1
    focus_row R "[parent]" && key F4
    wait_for "F4 on [parent]" 'title_in R "$(tail_of "$w")"' || return 1
    focus_row R "<sub>" && key F3
    wait_for "F3 opened sub on the left" 'title_in L "$(tail_of "$w/sub")" && focus_is L' || return 1
    focus_row L "[parent]" && key Return
    wait_for "back up" 'title_in L "$(tail_of "$w")"' || return 1

    # The sort keys and their title suffixes.
    key F8
    wait_for "F8: by extension" 'title_ends L "   [by ext]" && names_are L "<sub> Gamma.bin Beta.dat Alpha.txt "' || return 1
    key shift+F7
    wait_for "Shift+F7: by size" 'title_ends L "   [by size]" && names_are L "<sub> Beta.dat Gamma.bin Alpha.txt "' || return 1
    key shift+F8
    wait_for "Shift+F8: by date" 'title_ends L "   [by date]" && names_are L "<sub> Alpha.txt Gamma.bin Beta.dat "' || return 1
    key F7
    wait_for "F7: by name" 'title_in L "$(tail_of "$w")" && names_are L "<sub> Alpha.txt Beta.dat Gamma.bin "' || return 1
    focus_is L || fail "a sort key changed the active side" || return 1

    # GoTo: Alt+G, then letters search instead of running commands.
    key alt+g
    wait_for "Alt+G checked the left GoTo box" 'goto_is L 1' || return 1
    key g
    wait_for "typing g found Gamma.bin" 'row_has L Gamma.bin N SF' || return 1
    sleep 1.2  # the list starts a new search after a pause
    key b
    wait_for "typing b found Beta.dat" 'row_has L Beta.dat N SF' || return 1
    sleep 1.2
    key t
    peek
    no_window && row_has L Alpha.txt N && row_has L Beta.dat N || fail "a letter ran a command in GoTo mode" || return 1
    key alt+g
    wait_for "Alt+G again unchecked it" 'goto_is L 0' || return 1

    # F1 makes a directory.
    key F1
    wait_for "the new directory prompt" 'window_is TextDialog "Enter name for new directory"' || return 1
    type_text newdir
    key Return
    wait_for "the new directory is listed" 'no_window && row_has L "<newdir>"' || return 1
    [ -d "$w/newdir" ] || fail "newdir was not made" || return 1

    # R renames; the R key's own character does not reach the name.
    focus_row L Beta.dat && key r
    wait_for "the rename prompt" 'window_is TextDialog "Enter new file name"' || return 1
    type_text renamed.dat
    key Return
    wait_for "the renamed file is listed" 'no_window && row_has L renamed.dat && row_missing L Beta.dat' || return 1
    [ -f "$w/renamed.dat" ] && [ ! -e "$w/beta.dat" ] || fail "beta.dat was not renamed to renamed.dat" || return 1

    # Q: Cancel keeps the program, OK ends it.
    key q
    wait_for "the closing question" 'window_is "#32770" Information' || return 1
    key Escape
    wait_for "Cancel keeps the window" 'no_window' || return 1
    key q
    wait_for "the closing question again" 'window_is "#32770" Information' || return 1
    key Return
    local deadline=$((SECONDS + 15))
    while kill -0 "$bivane_pid" 2>/dev/null; do
        ((SECONDS > deadline)) && { fail "OK did not end the program"; return 1; }
        sleep 0.2
    done
    bivane_pid=
}

# ---- names made outside Windows: a wildcard name and a folder that holds a link
hostile_names() {
    local w=$1 sums
    mkdir -p "$w/target" "$w/box"
    echo keep >"$w/target/keep.txt"
    printf 1 >"$w/a?c.txt"; printf 2 >"$w/abc.txt"; printf 3 >"$w/axc.txt"
    echo inside >"$w/box/f.txt"
    ln -s "$w/target" "$w/box/link"
    sums=$(cd "$w" && find . -path ./box -prune -o -type f -print0 | sort -z | xargs -0 md5sum)
    start_bivane "$w" || return 1

    # The shell would take "?" as a pattern and delete abc.txt and axc.txt as well: refused.
    focus_row L "A?c.txt" && key d
    wait_for "the delete confirmation" 'window_is ConfirmDialog "Confirm Delete"' || return 1
    key alt+y
    wait_for "the refusal" 'window_is "#32770" Warning' || return 1
    key Return
    wait_for "the refusal answered" 'no_window && row_has L "A?c.txt" && row_has L Abc.txt && row_has L Axc.txt' || return 1
    [ "$(cd "$w" && find . -path ./box -prune -o -type f -print0 | sort -z | xargs -0 md5sum)" = "$sums" ] \
        || fail "a file changed after the refused delete" || return 1
    [ -z "$(ls -A "$trash" 2>/dev/null | grep -i 'a.c.txt')" ] || fail "a file went to the bin" || return 1

    # F2 on the folder, for good: its file goes, the link stays, what it points to is untouched.
    focus_row L "<box>" && key F2
    wait_for "the folder delete confirmation" 'window_is ConfirmDialog "Confirm Delete"' || return 1
    key alt+s
    wait_for "the recycle bin unchecked" '! checked "&Send to recycle bin (allow undelete)"' || return 1
    key alt+y
    wait_for "the warning about the link" 'window_is ReportWindow Warning' || return 1
    key Return
    wait_for "the warning answered" 'no_window' || return 1
    [ "$(cat "$w/target/keep.txt")" = keep ] || fail "the link's target lost its file" || return 1
    [ ! -e "$w/box/f.txt" ] || fail "the folder's own file was not deleted" || return 1
    [ -L "$w/box/link" ] || fail "the link is gone" || return 1
    [ "$(cd "$w" && find . -path ./box -prune -o -type f -print0 | sort -z | xargs -0 md5sum)" = "$sums" ] \
        || fail "a file outside the folder changed" || return 1
}

# ---- the disk changes under a command: a listed file becomes a folder, then D for good
changed_under_it() {
    local w=$1
    mkdir -p "$w"
    printf 1 >"$w/f"; printf 2 >"$w/g"
    start_bivane "$w" || return 1
    wait_for "f listed as a file" 'row_has L F N' || return 1
    focus_row L F && key d
    wait_for "the delete confirmation" 'window_is ConfirmDialog "Confirm Delete"' || return 1
    # Changed while the dialog is open: the list, which follows the disk, waits for the command.
    rm "$w/f" && mkdir "$w/f" && printf one >"$w/f/one" && printf two >"$w/f/two"
    ! checked "&Send to recycle bin (allow undelete)" || key alt+s
    wait_for "for good" '! checked "&Send to recycle bin (allow undelete)"' || return 1
    key alt+y
    wait_for "the warning that names it" 'window_is ReportWindow Warning && grep -qF "F (now a folder)" "$state"' || return 1
    key Return
    wait_for "the side read again" 'no_window && row_has L "<f>" && row_has L G' || return 1
    [ "$(cat "$w/f/one")/$(cat "$w/f/two")/$(cat "$w/g")" = one/two/2 ] \
        || fail "the folder or the other file was touched" || return 1
}

# ---- the lists follow the disk
follow_disk() {
    local w=$1
    mkdir -p "$w/sub"
    printf 1 >"$w/a.txt"; printf 22 >"$w/b.txt"
    start_bivane "$w" || return 1
    focus_row L B.txt && key F9
    wait_for "B.txt tagged" 'row_has L B.txt Y SF' || return 1
    printf 333 >"$w/new.txt"
    wait_for "the new file shown, B.txt still tagged and current" \
        'row_has L New.txt N && row_has L B.txt Y SF && status_has L "Tag: 0k (1)"' || return 1
    mv "$w/a.txt" "$w/z.txt"
    wait_for "the rename shown" 'row_has L Z.txt N && row_missing L A.txt && row_has L B.txt Y SF' || return 1
    focus_row L "<sub>" && key Return
    wait_for "in sub" 'title_in L "$(tail_of "$w/sub")"' || return 1
    rm -r "$w/sub"
    wait_for "back in the folder above, the title saying why" \
        'title_ends L "(sub is gone)" && row_has L B.txt && no_window' || return 1
}

# ---- what each click on a list does, as the help says
clicks() {
    local w=$1
    mkdir -p "$w/sub"
    echo inner >"$w/sub/inner.txt"
    head -c 100 /dev/zero >"$w/a.txt"; head -c 2000 /dev/zero >"$w/b.txt"; head -c 3000 /dev/zero >"$w/c.txt"
    start_bivane "$w" || return 1
    wait_for "the folder listed" 'row_has L A.txt N && row_has L C.txt N' || return 1
    click_row L A.txt icon
    wait_for "a click on the icon selects, never tags" 'row_has L A.txt N SF && status_has L "3 Files"' || return 1
    click_row L B.txt name
    wait_for "a click on the name selects" 'row_has L B.txt N SF && row_has L A.txt N -- && status_has L "3 Files"' || return 1
    click_row L C.txt name ctrl
    wait_for "two names selected are both tagged" \
        'row_has L B.txt Y S- && row_has L C.txt Y SF && row_has L A.txt N -- && status_has L "Tag: 5k (2)"' || return 1
    click_row L A.txt size
    wait_for "beside the name of a row without the focus: the focus moves there, nothing is tagged" \
        'row_has L A.txt N SF && row_has L B.txt Y -- && row_has L C.txt Y -- && status_has L "Tag: 5k (2)"' || return 1
    click_row L A.txt size
    wait_for "beside the name again: tagged" 'row_has L A.txt Y SF && status_has L "Tag: 5k (3)"' || return 1
    click_row L A.txt size
    wait_for "and once more: untagged" 'row_has L A.txt N SF && status_has L "Tag: 5k (2)"' || return 1
    click_row L "<sub>" size
    wait_for "beside a folder's name: the folder is opened" \
        'title_ends L "$(tail_of "$w/sub")" && names_are L "Inner.txt " && row_has L "[parent]" D SF' || return 1
    # (Alt with a click is the window manager's here, which moves windows with it: the mouse tests
    # of the tags give the list Alt with the click.)
}

stop_bivane
# ---- a copy onto files that exist: one question, answered "Replace older only"
replace_question() {
    local w=$1
    mkdir -p "$w/src" "$w/dst"
    printf 'new one' >"$w/src/one.txt"; printf 'new two' >"$w/src/two.txt"
    touch -d '2020-01-01 10:00' "$w/src/one.txt" "$w/src/two.txt"
    printf 'old one' >"$w/dst/one.txt"; touch -d '2001-01-01 10:00' "$w/dst/one.txt"
    printf 'newer two' >"$w/dst/two.txt"; touch -d '2024-01-01 10:00' "$w/dst/two.txt"
    start_bivane "$w" || return 1
    open_sides "$w" src dst || return 1
    key t
    wait_for "both tagged" 'row_has L One.txt Y && row_has L Two.txt Y' || return 1
    key c
    wait_for "the copy confirmation" 'window_is ConfirmDialog "Confirm Copy"' || return 1
    key alt+y
    wait_for "the replace question" 'window_is ReplaceDialog "Replace Files"' || return 1
    [ "$(cat "$w/dst/one.txt")/$(cat "$w/dst/two.txt")" = "old one/newer two" ] \
        || fail "a file was written before the answer" || return 1
    key alt+o
    wait_for "the copy done" 'no_window && row_has R One.txt' || return 1
    [ "$(cat "$w/dst/one.txt")/$(cat "$w/dst/two.txt")" = "new one/newer two" ] \
        || fail "not only the older file was replaced: $(cat "$w/dst/one.txt")/$(cat "$w/dst/two.txt")" || return 1
}

# ---- C on a folder: merged into the target's folder of its name, only the older file replaced, the
# link inside left out and named
folder_copy() {
    local w=$1
    mkdir -p "$w/src/box/sub/empty" "$w/dst/box" "$w/elsewhere"
    printf 'new one' >"$w/src/box/one.txt"; printf 'deep' >"$w/src/box/sub/deep.txt"
    printf 'new two' >"$w/src/box/two.txt"; echo keep >"$w/elsewhere/keep.txt"
    touch -d '2020-01-01 10:00' "$w/src/box/one.txt" "$w/src/box/two.txt"
    printf 'old one' >"$w/dst/box/one.txt"; touch -d '2001-01-01 10:00' "$w/dst/box/one.txt"
    printf 'newer two' >"$w/dst/box/two.txt"; touch -d '2024-01-01 10:00' "$w/dst/box/two.txt"
    ln -s "$w/elsewhere" "$w/src/box/link"
    printf 'upper' >"$w/src/box/Twin.txt"; printf 'lower' >"$w/src/box/twin.txt"
    touch -d '2019-05-05 05:05:05.1234567' "$w/src/box/sub/deep.txt"
    start_bivane "$w" || return 1
    open_sides "$w" src dst || return 1
    focus_row L "<box>" && key c
    wait_for "the copy confirmation" 'window_is ConfirmDialog "Confirm Copy"' || return 1
    key alt+y
    wait_for "the replace question" 'window_is ReplaceDialog "Replace Files"' || return 1
    [ ! -e "$w/dst/box/sub" ] || fail "a folder was made before the answer" || return 1
    key alt+o
    wait_for "the link and the twin named as left out" 'window_is ReportWindow Warning' || return 1
    key Return
    wait_for "the copy done, the folder current on the target side" 'no_window && row_has R "<box>" D SF' || return 1
    [ "$(cat "$w/dst/box/one.txt")/$(cat "$w/dst/box/two.txt")/$(cat "$w/dst/box/sub/deep.txt")" = "new one/newer two/deep" ] \
        || fail "the merge wrote the wrong files" || return 1
    [ -d "$w/dst/box/sub/empty" ] || fail "the empty folder was not copied" || return 1
    [ ! -e "$w/dst/box/link" ] && [ "$(cat "$w/elsewhere/keep.txt")" = keep ] || fail "the link was followed" || return 1
    [ -z "$(find "$w/dst" -name '~bvcopy*')" ] || fail "a temporary stayed" || return 1
    [ "$(find "$w/dst/box" -maxdepth 1 -iname twin.txt | wc -l)/$(cat "$w/dst/box/Twin.txt")" = 1/upper ] \
        || fail "the case twins landed on one name" || return 1
    [ "$(stat -c %y "$w/dst/box/sub/deep.txt")" = "$(stat -c %y "$w/src/box/sub/deep.txt")" ] \
        || fail "the date was not kept to the tick" || return 1
}

# ---- the size of a folder on demand (Z), its subfolders and link left as they are
folder_size() {
    local w=$1
    mkdir -p "$w/box/sub" "$w/outside"
    head -c 100 /dev/zero >"$w/box/a.bin"; head -c 250 /dev/zero >"$w/box/b.bin"
    head -c 50 /dev/zero >"$w/box/sub/c.bin"; head -c 5000 /dev/zero >"$w/outside/big.bin"
    ln -s "$w/outside" "$w/box/link"
    start_bivane "$w" || return 1
    focus_row L "<box>" && key z
    wait_for "the folder's size (400 bytes, the link not followed)" 'size_is L "<box>" 400' || return 1
    status_has L "Dir: 0k" || fail "the status total counted the folder" || return 1
    # Q while Shift+Z walks 100,000 files: the walk is told to stop, the program gone within 2 s.
    (cd "$w" && mkdir big && cd big && for i in $(seq 1 100); do mkdir d$i && (cd d$i && seq 1 1000 | xargs touch); done)
    wait_for "the big tree listed" 'row_has L "<big>"' || return 1
    key shift+z q
    wait_for "the closing question" 'window_is "#32770" Information' || return 1
    key Return
    local waited=0
    while kill -0 "$bivane_pid" 2>/dev/null && ((waited < 40)); do sleep 0.1; waited=$((waited + 1)); done
    ((waited <= 20)) || fail "the program took $((waited / 10)) s or more to end after Q" || return 1
    bivane_pid=
}

# ---- jobs: a big folder copied in the background, the next copy queued, the queue, a refusal, exit
jobs() {
    local w=$1 name
    mkdir -p "$w/src/big" "$w/dst"
    (cd "$w/src/big" && head -c 20000000 /dev/urandom | split -b 1000 -a 5 - f)  # 20,000 files
    echo small >"$w/src/small.txt"
    start_bivane "$w" || return 1
    open_sides "$w" src dst || return 1
    focus_row L "<big>" && key c
    wait_for "the copy confirmation" 'window_is ConfirmDialog "Confirm Copy"' || return 1
    key alt+y
    wait_for "the progress" 'window_is ProgressDialog "Copy File"' || return 1
    key alt+b
    wait_for "the copy in the background, its progress in the title" \
        '! window_is ProgressDialog "Copy File" && grep -q "^caption.*% Copy .* - Bivane for Win95" "$state"' || return 1
    key ctrl+j
    wait_for "the jobs" 'window_is JobsDialog Jobs' || return 1
    sleep 0.5
    key alt+p
    sleep 0.5
    key Escape
    wait_for "the job paused, the jobs closed" 'no_window' || return 1
    # The other side answers keys; a second copy waits behind the first.
    focus_row L Small.txt && key c
    wait_for "the second confirmation" 'window_is ConfirmDialog "Confirm Copy"' || return 1
    key alt+y
    wait_for "the second copy queued" 'no_window && grep -q "(1 waiting)" "$state"' || return 1
    # The folder the job reads from is not deleted meanwhile.
    focus_row L "<big>" && key F2
    wait_for "the folder delete confirmation" 'window_is ConfirmDialog "Confirm Delete"' || return 1
    key alt+y
    wait_for "the refusal naming the job" 'window_is "#32770" Warning' || return 1
    key Return
    [ -d "$w/src/big" ] && [ "$(ls "$w/src/big" | wc -l)" = 20000 ] || fail "the source folder was touched" || return 1
    # The other side takes keys meanwhile.
    key space
    wait_for "the right side active" 'focus_is R' || return 1
    focus_row R "[parent]" || return 1
    key space
    wait_for "the left side active again" 'focus_is L' || return 1
    # A file viewed meanwhile (S), and the viewer closed with F10.
    focus_row L Small.txt && key s
    wait_window "BVLIST - .*" >/dev/null || fail "the viewer did not open during the job" || return 1
    key F10
    window_gone "BVLIST - .*" || fail "F10 did not close the viewer" || return 1
    # The queue: the first job resumed, the waiting one cancelled.
    key ctrl+j
    wait_for "the jobs again" 'window_is JobsDialog Jobs' || return 1
    sleep 0.5
    key alt+r
    sleep 0.5
    key Down
    sleep 0.3
    key alt+c
    sleep 0.3
    key Escape
    wait_for "the jobs closed" 'no_window' || return 1
    # Exit: asked, the jobs stop after their file, nothing half-copied stays.
    key q
    wait_for "the question before exit" 'window_is "#32770" Warning' || return 1
    key Return
    local waited=0
    while kill -0 "$bivane_pid" 2>/dev/null && ((waited < 100)); do sleep 0.1; waited=$((waited + 1)); done
    ((waited < 100)) || fail "the program did not end after the question" || return 1
    bivane_pid=
    for name in $(ls -A "$w/dst/big"); do
        cmp -s "$w/dst/big/$name" "$w/src/big/$name" || fail "dst/big/$name is not a whole copy" || return 1
    done
    [ ! -e "$w/dst/small.txt" ] || fail "the waiting copy ran after the exit" || return 1
}

# ---- Find Files: by name, by text, the viewer at the match, Go to, the results on a side copied
# and deleted there, Escape in a big search
find_files() {
    local w=$1 sums
    mkdir -p "$w/tree/a/b" "$w/tree/c" "$w/dst" "$w/big"
    printf 'hello\nthe needle here\n' >"$w/tree/a/b/deep.txt"
    printf 'nothing' >"$w/tree/c/other.txt"
    printf 'x' >"$w/tree/top.log"
    (cd "$w/big" && head -c 20000000 /dev/urandom | split -b 1000 -a 5 - f)  # 20,000 files
    sums=$(cd "$w" && find . -path ./tree/c -prune -o -path ./dst -prune -o -type f -print0 | sort -z | xargs -0 md5sum)
    start_bivane "$w" || return 1
    open_sides "$w" tree dst || return 1
    key ctrl+f
    wait_for "the Find Files window" 'window_is FindFilesWindow "Find Files"' || return 1
    type_text "*.txt"
    key Return
    wait_for "two found by name" 'grep -q "^control.*2 found in 3 files and 4 folders" "$state"' || return 1
    key alt+t
    type_text "NEEDLE"
    key Return
    wait_for "one found by its text" 'grep -q "^control.*1 found in 3 files and 4 folders" "$state"' || return 1
    key F3
    wait_window "BVLIST - deep.txt" >/dev/null || fail "the viewer did not open on the result" || return 1
    key F10
    window_gone "BVLIST - deep.txt" || fail "F10 did not close the viewer" || return 1
    xdotool windowactivate --sync "$(wait_window "Find Files")" 2>/dev/null; sleep 0.3
    key Return
    wait_for "the left side at the result" 'no_window && title_in L "$(tail_of "$w/tree/a/b")" && row_has L Deep.txt "" SF' || return 1
    # The results on the left side: both copied to the right one, one deleted there.
    key ctrl+f
    wait_for "the Find Files window again" 'window_is FindFilesWindow "Find Files"' || return 1
    key alt+w
    type_text "Z:${w//\//\\}\\tree"
    key alt+t BackSpace
    key alt+n
    type_text "*.txt"
    key Return
    wait_for "two found again" 'grep -q "^control.*2 found in 3 files and 4 folders" "$state"' || return 1
    key alt+d
    found_row() { grep -F "$1" "$state" | grep -q "^row"; }
    wait_for "the results on the left side" 'no_window && found_row "a\\b\\Deep.txt" && found_row "c\\Other.txt"' || return 1
    key t c
    wait_for "the copy confirmation" 'window_is ConfirmDialog "Confirm Copy"' || return 1
    key alt+y
    wait_for "both copied" '[ -f "$w/dst/deep.txt" ] && [ -f "$w/dst/other.txt" ]' || return 1
    key u Home Down d
    wait_for "the delete confirmation" 'window_is ConfirmDialog "Confirm Delete"' || return 1
    key alt+y
    wait_for "the deleted result gone from the side" 'no_window && ! found_row "c\\Other.txt" && found_row "a\\b\\Deep.txt"' || return 1
    [ ! -e "$w/tree/c/other.txt" ] && [ -n "$(file_ci "$trash" other.txt)" ] || fail "other.txt is not in the recycle bin" || return 1
    cmp -s "$w/dst/deep.txt" "$w/tree/a/b/deep.txt" && [ "$(cat "$w/dst/other.txt")" = nothing ] || fail "a copy differs" || return 1
    # A big search stopped with Escape; the main window keeps working.
    key ctrl+f
    wait_for "the Find Files window once more" 'window_is FindFilesWindow "Find Files"' || return 1
    key alt+w
    type_text "Z:${w//\//\\}\\big"
    key alt+n
    type_text "*"
    key alt+t
    type_text "not in any of them"
    key Return
    sleep 0.3
    key Escape
    wait_for "the search stopped" 'window_is FindFilesWindow "Find Files" && ! grep -q "^control.*Searching" "$state"' || return 1
    key Escape
    wait_for "the window closed" 'no_window' || return 1
    [ "$(cd "$w" && find . -path ./tree/c -prune -o -path ./dst -prune -o -type f -print0 | sort -z | xargs -0 md5sum)" = "$sums" ] \
        || fail "a file changed" || return 1
}

# ---- Ctrl+Y: two trees compared, two lines changed by keys, filtered, previewed, applied, read back
synchronize() {
    local w=$1 dates
    mkdir -p "$w/L/sub" "$w/R"
    printf 'same\n' >"$w/L/a.txt"; cp -p "$w/L/a.txt" "$w/R/a.txt"
    printf 'the new one\n' >"$w/L/b.txt"; printf 'old\n' >"$w/R/b.txt"; touch -d '2024-01-01 10:00' "$w/R/b.txt"
    printf 'c\n' >"$w/L/c.txt"; printf 'kept here\n' >"$w/L/keep.txt"; printf 'd\n' >"$w/L/sub/d.txt"
    printf 'gone\n' >"$w/R/gone.txt"; printf 'old but wanted\n' >"$w/R/old.txt"
    touch -d '2025-05-05 05:05:05.123456700' "$w/L/c.txt" "$w/R/old.txt"
    start_bivane "$w" || return 1
    open_sides "$w" L R || return 1
    key ctrl+y
    wait_for "the Synchronize window" 'window_is SynchronizeWindow Synchronize' || return 1
    key Return
    wait_for "the comparison" 'grep -q "^control.*8 lines, 7 differ; 7 shown\." "$state"' || return 1
    key Return  # on [sub], of the left only: opened, then closed again
    wait_for "sub opened" 'grep -q "^control.*8 lines, 7 differ; 8 shown\." "$state"' || return 1
    key Return
    wait_for "sub closed" 'grep -q "^control.*8 lines, 7 differ; 7 shown\." "$state"' || return 1
    # Rows: [sub] a b c gone keep old. keep.txt is left alone (Space); old.txt goes left, not away.
    key Down Down Down Down Down space Down Left
    key alt+o Down
    wait_for "only the differences" 'grep -q "^control.*8 lines, 7 differ; 6 shown\." "$state"' || return 1
    key alt+v alt+a
    wait_for "the preview" 'window_is SyncPreview "Synchronize: what will be done"' || return 1
    grep -qF "Copy to the right: 3 files, 16 bytes; 1 folder| Copy to the left: 1 file, 15 bytes| Delete on the right: 1 file, 5 bytes|" "$state" \
        && grep -qF "right: gone.txt|" "$state" || fail "the preview's counts and deletions" || return 1
    key Return
    # Two of the right's four files replaced or deleted: the guard asks, No by default.
    wait_for "the guard" 'window_is "#32770" Warning && grep -qF "right (all of it): 2 of 4 files" "$state"' || return 1
    key alt+y
    wait_for "the report" 'window_is ReportWindow Information && grep -qF "4 files copied (31 bytes), 1 folder made, 1 file and 0 folders deleted." "$state"' || return 1
    key Return
    wait_for "compared again" 'window_is SynchronizeWindow Synchronize && grep -q "^control.*7 lines, 1 differ; 1 shown\." "$state"' || return 1
    key Escape
    wait_for "the window closed" 'no_window' || return 1
    for f in b.txt c.txt sub/d.txt; do cmp -s "$w/L/$f" "$w/R/$f" || fail "R/$f is not L/$f" || return 1; done
    cmp -s "$w/R/old.txt" "$w/L/old.txt" || fail "old.txt was not copied to the left" || return 1
    dates=$(stat -c '%y' "$w/L/c.txt" "$w/R/c.txt" "$w/R/old.txt" "$w/L/old.txt" | sort -u | wc -l)
    [ "$dates" = 1 ] || fail "a copy's date is not its source's to the 100 ns" || return 1
    [ ! -e "$w/R/keep.txt" ] && [ ! -e "$w/R/gone.txt" ] && [ -n "$(file_ci "$trash" gone.txt)" ] \
        || fail "keep.txt copied, or gone.txt not in the recycle bin" || return 1
}

run_scenario synchronize "Synchronize: compare, two actions changed, a filter, the preview, apply with verify, compared again"
run_scenario find_files "Find Files: names, a text, the viewer at the match, Go to, results on a side copied and deleted, Escape"
run_scenario jobs "C on a big folder sent to the background, paused; C on a file queued; F2 on the source refused; S and F10; Q"
run_scenario clicks "clicks on a name, an icon, beside the name once, twice and three times, with Ctrl"
run_scenario copy_move_delete "copy, move and delete"
run_scenario follow_disk "files made, renamed and removed on the host show without a key; a folder that goes"
run_scenario folder_size "Z: the size of a folder in its Size cell"
run_scenario folder_copy "C on a folder: a merge, the replace question answered only older, a link and a case twin left out, dates exact"
run_scenario replace_question "a copy onto an older and a newer file, only the older replaced"
run_scenario changed_under_it "a file replaced by a folder after it was listed, then deleted"
run_scenario hostile_names "a wildcard name and a folder holding a link, deleted"
run_scenario browse_and_edit "enter, F3, F4, sort keys, GoTo, F1, R, Q"

if ((failures > 0)); then
    echo "end-to-end: $failures failure(s); program output in $work/wine.log:"
    sed 's/^/    /' "$work/wine.log"
    exit 1
fi
echo "end-to-end: all passed"
