#!/usr/bin/env bash
# Renders the HTML help as the user's browser shows it, for docs/help.png:
#   scripts/help-screenshot.sh [out.png]     (default docs/help.png; build the program first)
# Installs Debian's chromium when it is missing; it runs headless, no display needed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
out=$(realpath -m "${1:-$root/docs/help.png}")
page=$root/build/win/bivane-help.html
[ -f "$page" ] || { echo "help-screenshot.sh: $page not found (build first)" >&2; exit 1; }
if ! command -v chromium >/dev/null; then
    apt-get install -y --no-install-recommends chromium >&2
fi
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$profile" \
    --window-size=900,1400 --screenshot="$out" "file://$page" >&2 2>/dev/null
echo "$out"
