# Sourced, never run: sets up the environment for one Wine prefix of a build folder.
# shellcheck shell=bash
#   source scripts/wine-env.sh <builddir> [null|x11]
# "null" (the default) is the headless prefix for tests (no display needed);
# "x11" is for runs on a real or virtual X display.
# Everything Wine writes (prefix, home, temp files, XDG folders) stays inside the build folder.
# It leaves the caller's shell options alone, so it sets no "set -e" of its own.

if [ $# -lt 1 ] || [ -z "$1" ]; then
    echo "usage: source wine-env.sh <builddir> [null|x11]" >&2
    return 2
fi
BIVANE_WINE_FLAVOUR=${2:-null}
case "$BIVANE_WINE_FLAVOUR" in
    null|x11) ;;
    *) echo "wine-env.sh: unknown flavour '$BIVANE_WINE_FLAVOUR' (null or x11)" >&2; return 2 ;;
esac
mkdir -p "$1"
BIVANE_BUILD_DIR=$(cd "$1" && pwd)
export BIVANE_BUILD_DIR BIVANE_WINE_FLAVOUR

export WINEPREFIX=$BIVANE_BUILD_DIR/wine-$BIVANE_WINE_FLAVOUR
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The X cookie is found through $HOME unless named: keep the user's before HOME moves.
if [ -z "${XAUTHORITY:-}" ] && [ -n "${HOME:-}" ] && [ -f "$HOME/.Xauthority" ]; then
    export XAUTHORITY=$HOME/.Xauthority
fi
# A new prefix links Desktop, Documents... into $HOME, and the recycle bin needs
# $HOME/.local/share to exist, or deletes "to the bin" are permanent.
export HOME=$BIVANE_BUILD_DIR/home-$BIVANE_WINE_FLAVOUR
export XDG_CONFIG_HOME=$HOME/.config
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CACHE_HOME=$HOME/.cache
export XDG_STATE_HOME=$HOME/.local/state
export XDG_RUNTIME_DIR=$HOME/.run
# The wineserver's socket lives under TMPDIR: a different TMPDIR means a second server.
export TMPDIR=$BIVANE_BUILD_DIR/tmp
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$TMPDIR"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
