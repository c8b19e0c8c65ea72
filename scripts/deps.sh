#!/usr/bin/env bash
# Installs the Debian packages Bivane needs to build, test and run under Wine.
# Does nothing (and needs no network) when everything is already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine wine64 xvfb xauth xdotool openbox imagemagick
    fonts-wine fonts-liberation fonts-liberation2
    binutils-mingw-w64-x86-64 ghostscript poppler-utils googletest libgtest-dev zip unzip
    clang libclang-rt-14-dev
    python3-fusepy
)

missing=()
for p in "${packages[@]}"; do
    # "dpkg -s" also succeeds for removed-but-configured packages, so read the status line.
    if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed$'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "deps.sh: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "deps.sh: run as root to install packages" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
