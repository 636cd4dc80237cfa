#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config clang libclang-rt-14-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    binutils srecord socat
    libwxgtk3.2-dev libgtk-3-dev xvfb xdotool imagemagick x11-utils
    dpkg-dev man-db
    g++-mingw-w64-x86-64-posix wine64 fonts-wine nsis librsvg2-bin
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo_cmd=(sudo)
    else
        echo "Missing packages (${missing[*]}) and neither root nor sudo available." >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
