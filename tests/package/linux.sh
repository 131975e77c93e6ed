#!/usr/bin/env bash
# The installed layout and the Debian package: what a user of XScreenSaver gets from `cmake --install` and
# from `dpkg -i`. Needs the release build and build/dist/tavo_*.deb (scripts/package-linux.sh makes both).
set -euo pipefail
cd "$(dirname "$0")/../.."
version=$(sed -nE 's/^set\(TAVO_VERSION_TEXT "([^"]+)".*/\1/p' CMakeLists.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$work/prefix"
cmake --install build/native-release --prefix "$prefix" >/dev/null
for f in bin/tavo libexec/xscreensaver/tavo share/xscreensaver/config/tavo.xml share/man/man6/tavo.6.gz \
    share/doc/tavo/copyright; do
    [ -e "$prefix/$f" ] || fail "cmake --install lays out no $f"
done
[ "$(readlink -f "$prefix/libexec/xscreensaver/tavo")" = "$(readlink -f "$prefix/bin/tavo")" ] ||
    fail "the XScreenSaver hack is not the installed program"
MANWIDTH=100 man -l "$prefix/share/man/man6/tavo.6.gz" 2>/dev/null | grep -q -- '--window-id' ||
    fail "the manual page does not render or does not list --window-id"

deb=$(ls build/dist/tavo_"$version"_amd64.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for d in fonts-liberation2 libsdl2 libc6; do
    [[ $depends == *"$d"* ]] || fail "package does not depend on $d: $depends"
done
dpkg-deb -x "$deb" "$work/root"
[ "$("$work/root/usr/bin/tavo" --version | head -n 1)" = "tavo $version" ] || fail "unpacked --version"
"$work/root/usr/bin/tavo" --settings-file "$work/tavo.reg" --snapshot "$work/shots" --seconds 2 --fps 1 >/dev/null
lit=$(convert "$(ls "$work"/shots/*.png | tail -n 1)" -colorspace gray -threshold 10% -format '%[fx:mean]' info:)
awk -v m="$lit" 'BEGIN { exit !(m > 0.001) }' || fail "the unpacked saver's snapshot is black"
echo "package: install layout, manual page, dependencies, unpacked --version and snapshot all good"
