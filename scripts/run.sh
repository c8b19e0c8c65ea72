#!/usr/bin/env bash
# The run command: installs what is missing, builds build/win and starts bivane.exe under Wine.
# With $DISPLAY set it runs there until closed. Without one it starts on a private virtual
# display, saves build/win/screenshot.png of its window, says where, and ends everything.
# The working folder of the program is $BIVANE_START_DIR, default the repository root.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
cd "$root"

"$here/deps.sh"
if [ ! -f build/win/CMakeCache.txt ]; then
    cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
fi
cmake --build build/win -j2

if [ -z "${DISPLAY:-}" ]; then
    exec "$here/screenshot.sh" "$root/build/win/screenshot.png"
fi

exe=${BIVANE_EXE:-$root/build/win/bivane.exe}
build_dir=${BIVANE_BUILD_DIR:-$(dirname "$exe")}
trap '"$here/wine-prefix.sh" cleanup "$build_dir" x11' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
"$here/wine-prefix.sh" setup "$build_dir" x11
# shellcheck source=wine-env.sh
source "$here/wine-env.sh" "$build_dir" x11
cd "${BIVANE_START_DIR:-$root}"
wine "$exe"
