#!/usr/bin/env bash
# The main window and the dialogs made on a screen of 120, 144 and 192 DPI: a headless prefix of its
# own (under <builddir>/screen-dpi) is set to each DPI in turn (LogPixels, through BIVANE_LOGPIXELS)
# and the test that checks them runs in it. The ordinary prefix stays at 96 for every other test.
#   screen_dpi.sh <builddir> <app_tests.exe>
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: $0 <builddir> <app_tests.exe>" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)/screen-dpi
tests=$2
finish() { "$root/scripts/wine-prefix.sh" cleanup "$build" null >/dev/null 2>&1 || true; }
trap finish EXIT

failed=0
for dpi in 120 144 192; do
    echo "== $dpi DPI"
    if ! BIVANE_LOGPIXELS=$dpi timeout 300 "$root/scripts/wine-prefix.sh" setup "$build" null; then
        echo "screen_dpi.sh: the prefix could not be set to $dpi DPI" >&2
        exit 1
    fi
    # The test must run, not be skipped: its name is looked for among the passed ones.
    out=$(BIVANE_BUILD_DIR=$build BIVANE_LOGPIXELS=$dpi BIVANE_SCREEN_DPI=$dpi timeout 300 \
        "$root/scripts/wine-run.sh" "$tests" --gtest_filter='Dpi.MadeForTheScreensDpiFromTheStart' 2>&1)
    status=$?
    printf '%s\n' "$out" | grep -v '^wine: Read access denied'
    if [ $status -ne 0 ] || ! printf '%s\n' "$out" | grep -q '^\[       OK \] Dpi.MadeForTheScreensDpiFromTheStart'; then
        failed=1
    fi
    "$root/scripts/wine-prefix.sh" cleanup "$build" null >/dev/null 2>&1 || true
done
exit $failed
