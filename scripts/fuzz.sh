#!/usr/bin/env bash
# Builds the fuzz targets with clang under AddressSanitizer and UBSan (build/fuzz) and runs each
# for a while, starting from its corpus in tests/fuzz/corpus/<target>/.
#   fuzz.sh [seconds per target]     (default 5; the test command runs it so)
# New inputs go to a scratch folder; copy the interesting ones into the corpus by hand.
# A crash leaves crash-* files in build/fuzz/findings and makes the script fail.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
seconds=${1:-5}
cd "$root"
if [ ! -f build/fuzz/CMakeCache.txt ]; then
    cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBIVANE_FUZZ=ON -DBIVANE_WARNINGS_AS_ERRORS=ON
fi
cmake --build build/fuzz -j2 --target fuzz_entry_texts fuzz_shorten_path fuzz_sort_compare fuzz_print_lines \
    fuzz_viewer_text fuzz_viewer_search
mkdir -p build/fuzz/findings
failed=0
for target in entry_texts shorten_path sort_compare print_lines viewer_text viewer_search; do
    scratch=build/fuzz/scratch/$target
    mkdir -p "$scratch"
    echo "== fuzz_$target ($seconds s)"
    if ! UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 build/fuzz/fuzz_$target -max_total_time="$seconds" \
            -artifact_prefix=build/fuzz/findings/$target- -print_final_stats=0 \
            "$scratch" "tests/fuzz/corpus/$target" 2>build/fuzz/$target.log; then
        tail -30 build/fuzz/$target.log
        failed=1
    else
        grep -aE "^Done" build/fuzz/$target.log | tail -1 || true
    fi
done
exit "$failed"
