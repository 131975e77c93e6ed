#!/usr/bin/env bash
# Runs one Windows program under Wine in a private, temporary prefix with the project's Wine settings
# (a 1024x768 virtual desktop, no crash dialog) on a private Xvfb display, and passes its exit code through.
# Usage: scripts/wine-run.sh PROGRAM.exe [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/tavo-wine.XXXXXX")
export WINEPREFIX="$work/pfx" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# A display of our own, so parallel runs never collide.
display=""
xvfb_pid=""
for _ in $(seq 1 50); do
    n=$((200 + RANDOM % 700))
    [ -e "/tmp/.X${n}-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
    done
    if kill -0 "$xvfb_pid" 2>/dev/null; then display=":$n"; break; fi
done
if [ -z "$display" ]; then
    echo "wine-run: could not start Xvfb" >&2
    rm -rf "$work"
    exit 125
fi
export DISPLAY="$display"

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

wineboot -i >/dev/null 2>&1
wine reg import "$here/../tests/wine/ci-settings.reg" >/dev/null 2>&1
wineserver -w

wine "$@"
code=$?
exit $code
