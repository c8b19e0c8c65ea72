#!/usr/bin/env bash
# Runs a Windows program under the headless ("null") Wine prefix of its build folder.
# ctest uses it as the cross-compiling emulator:  wine-run.sh <program.exe> [args...]
# The build folder is $BIVANE_BUILD_DIR if set, else the folder the program is in.
# The program's exit code is passed through.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 <program.exe> [args...]" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build_dir=${BIVANE_BUILD_DIR:-$(dirname "$1")}

# Makes the prefix if nothing has yet (test discovery may run before any ctest fixture); cheap otherwise.
"$here/wine-prefix.sh" prepare "$build_dir" null
# shellcheck source=wine-env.sh
source "$here/wine-env.sh" "$build_dir" null
exec wine "$@"
