#!/usr/bin/env bash
# Runs some tests of a Windows test program as a user other than root, in a Wine prefix of that
# user's own: what a user may not write, root may, so those cases mean nothing as root.
#   as_user.sh <builddir> <program.exe> <gtest filter>
# As root it makes the system user "bivane-test" once (useradd), and the prefix under
# <builddir>/as-user; as any other user it runs the tests in the build folder's own prefix.
# Exits 77 (skipped) with a message when no such user can be made or cannot reach the program.
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: $0 <builddir> <program.exe> <gtest filter>" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scripts=$(cd "$here/../../scripts" && pwd)
build=$(cd "$1" && pwd)
program=$2
filter=$3

if [ "$(id -u)" -ne 0 ]; then
    exec "$scripts/wine-run.sh" "$program" --gtest_filter="$filter"
fi

user=bivane-test
if ! id -u "$user" >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null || {
        echo "as_user.sh: cannot make the user $user: skipped"
        exit 77
    }
fi
if ! runuser -u "$user" -- test -r "$program" -a -x "$scripts/wine-prefix.sh"; then
    echo "as_user.sh: $user cannot read $program or the scripts (a folder above is private): skipped"
    exit 77
fi

home=$build/as-user
mkdir -p "$home"
chown "$user" "$home"
as_user() { runuser -u "$user" -- env -i PATH="$PATH" "$@"; }
cleanup() { as_user "$scripts/wine-prefix.sh" cleanup "$home" null >/dev/null 2>&1 || true; }
trap cleanup EXIT
as_user "$scripts/wine-prefix.sh" setup "$home" null
# The tests' own output is what ctest shows; the program's exit code is the test's.
as_user bash -c 'source "$1/wine-env.sh" "$2" null && wine "$3" --gtest_filter="$4"' \
    _ "$scripts" "$home" "$program" "$filter"
