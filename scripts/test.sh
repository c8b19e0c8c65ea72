#!/usr/bin/env bash
# The test command: installs what is missing, builds the native rules (build/native) and the
# Windows program (build/win), and runs every test with ctest. Exits non-zero if anything failed.
# The Windows tests run under Wine; end-to-end tests get a private virtual display.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
cd "$root"

"$here/deps.sh"

# shellcheck source=xvfb.sh
source "$here/xvfb.sh"
finish() {
    "$here/wine-prefix.sh" cleanup build/win null || true
    "$here/wine-prefix.sh" cleanup build/win x11 || true
    stop_private_display
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

summary=()
failed=0
# step <name> <command...>: runs it, records the outcome, never stops the script.
step() {
    local name=$1; shift
    echo "== $name"
    if "$@"; then
        summary+=("ok       $name")
        return 0
    fi
    summary+=("FAILED   $name")
    failed=1
    return 1
}
skip() { summary+=("skipped  $1"); failed=1; }

configure() {
    local dir=$1; shift
    # The generator is chosen once, on first configure.
    if [ -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir"
    else
        cmake -S . -B "$dir" -G Ninja "$@"
    fi && cmake --build "$dir" -j2
}

# Tests without their own TIMEOUT get 10 minutes: a hang fails instead of blocking forever.
run_ctest() { (cd "$1" && ctest --output-on-failure --timeout 600); }

if step "native build" configure build/native -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc -DBIVANE_WARNINGS_AS_ERRORS=ON; then
    step "native tests" run_ctest build/native || true
else
    skip "native tests"
fi

# A few seconds of fuzzing per target (scripts/fuzz.sh; docs/reliability.md has the long run).
step "fuzz (short)" "$here/fuzz.sh" 5 || true

if step "windows build" configure build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DBIVANE_WARNINGS_AS_ERRORS=ON; then
    if step "virtual display" start_private_display "$root/build/win/home-x11"; then
        step "windows tests" run_ctest build/win || true
    else
        skip "windows tests"
    fi
else
    skip "windows tests"
fi

echo
echo "== Summary"
printf '  %s\n' "${summary[@]}"
exit "$failed"
