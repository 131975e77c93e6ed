#!/usr/bin/env bash
# Builds the Windows installer build/dist/tavo-setup-VERSION.exe: configures and builds the two Windows
# release presets where needed, then packs both tavo.scr files with makensis.
# Usage: scripts/package-windows.sh [--amd64-stub] [--out FILE]
#   --amd64-stub  the installer program itself is 64-bit (for a system without 32-bit support, such as a
#                 64-bit-only Wine); it still holds and can install both builds
#   --out FILE    write the installer there instead
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

stub=()
out=""
while [ $# -gt 0 ]; do
    case $1 in
        --amd64-stub) stub=(-DAMD64_STUB) ;;
        --out) out=$2; shift ;;
        *) echo "package-windows: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

command -v makensis >/dev/null || { echo "package-windows: makensis is missing (Debian package nsis)" >&2; exit 1; }

for preset in windows-x64 windows-i686; do
    [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target tavo
done

version=$(sed -n 's/^TAVO_VERSION_TEXT:STRING=//p' build/windows-x64/CMakeCache.txt)
other=$(sed -n 's/^TAVO_VERSION_TEXT:STRING=//p' build/windows-i686/CMakeCache.txt)
[ -n "$version" ] && [ "$version" = "$other" ] ||
    { echo "package-windows: the two builds disagree on the version ($version, $other)" >&2; exit 1; }

scr64=$root/build/windows-x64/tavo.scr
scr32=$root/build/windows-i686/tavo.scr
[ -n "$out" ] || out=$root/build/dist/tavo-setup-$version.exe
mkdir -p "$(dirname "$out")"
kb() { echo $((($(stat -c %s "$1") + 1023) / 1024)); }

makensis -V2 -NOCD "${stub[@]}" -DVERSION="$version" -DOUTFILE="$out" -DICON="$root/resources/tavo.ico" \
    -DSCR64="$scr64" -DSCR32="$scr32" -DSIZE64="$(kb "$scr64")" -DSIZE32="$(kb "$scr32")" \
    "$root/resources/tavo.nsi"
echo "package-windows: $out"
