#!/usr/bin/env bash
# Installs, from Debian's packages and only when missing, everything that building, running and testing Tavo
# needs. Runs apt-get as root, or through sudo when started by another user.
set -euo pipefail

packages=(
    # native build and tests
    build-essential cmake pkg-config git googletest libgtest-dev libgmock-dev libbenchmark-dev
    # the Linux saver: SDL2, X11, FreeType + fontconfig with an Arial-metric face, PNG snapshots
    libsdl2-dev libx11-dev libxext-dev libxfixes-dev libfreetype-dev libfontconfig-dev fonts-liberation2 libpng-dev
    # Windows cross-build and Wine
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools wine64 wine nsis
    # end-to-end tests: a virtual X display, input, screenshots
    xvfb xdotool imagemagick x11-utils
    # fuzzing
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "bootstrap: every needed package is installed."
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "bootstrap: these packages are missing and I am neither root nor able to use sudo:" >&2
    echo "  ${missing[*]}" >&2
    exit 1
fi

echo "bootstrap: installing ${#missing[@]} missing Debian packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "bootstrap: done."
