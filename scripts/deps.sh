#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, when any is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang-format googletest clang libclang-rt-dev
    mingw-w64 g++-mingw-w64-x86-64 wine wine64 xvfb xdotool fonts-wine imagemagick
    python3-markdown nsis
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" != 0 ]; then sudo_cmd=(sudo); fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
