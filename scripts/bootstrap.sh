#!/usr/bin/env bash
# Installs, from Debian's packages and only when missing, everything that building, running and testing Tavo
# needs. Runs apt-get as root, or through sudo when started by another user.
set -euo pipefail

# `bootstrap.sh run` installs only what the release build and the saver need; plain `bootstrap.sh` adds
# everything the tests use (the Windows cross toolchain, Wine, the virtual X display, fuzzing, packaging).
run_packages=(
    build-essential cmake pkg-config libbenchmark-dev
    # the Linux saver: SDL2, X11, FreeType + fontconfig with an Arial-metric face, PNG snapshots
    libsdl2-dev libx11-dev libxext-dev libxfixes-dev libfreetype-dev libfontconfig-dev fonts-liberation2 libpng-dev
)
test_packages=(
    # unit tests
    git googletest libgtest-dev libgmock-dev
    # Windows cross-build, Wine and the installer
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools wine64 wine nsis
    # end-to-end tests: a virtual X display, input, screenshots, XScreenSaver's own programs
    xvfb xdotool imagemagick x11-utils xscreensaver libxml2-utils
    # the Debian package and its man page
    dpkg-dev help2man man-db
    # fuzzing
    clang libclang-rt-14-dev
)
packages=("${run_packages[@]}")
if [ "${1:-}" != run ]; then
    packages+=("${test_packages[@]}")
fi

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
