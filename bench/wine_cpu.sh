#!/usr/bin/env bash
# What the Windows saver costs under Wine: runs `tavo.scr /s` full screen in a private Xvfb (1024 x 768) and
# Wine prefix with default settings for RUN_SECONDS (20), and prints the CPU the saver and wineserver took,
# in cores (1.0 = one core busy the whole time), apart and together. Wine's csmt stays at its default.
# Usage: bench/wine_cpu.sh [TAVO.SCR]  (default build/windows-x64/tavo.scr)
set -u
SCR=$(readlink -f "${1:-build/windows-x64/tavo.scr}")
RUN_SECONDS=${RUN_SECONDS:-20}
[ -f "$SCR" ] || { echo "wine_cpu.sh: $SCR is missing (cmake --preset windows-x64 && cmake --build --preset windows-x64)" >&2; exit 2; }
export E2E_SCR=$SCR E2E_SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
. "$E2E_SOURCE_DIR/tests/e2e/lib.sh"
e2e_setup # Xvfb 1024x768, the prefix, one wineserver and desktop for the whole run
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
e2e_start /s
# The Windows process shows up as its own Linux process once Wine has loaded it.
for _ in $(seq 1 600); do
    saver=$(pgrep -f 'tavo\.scr /s' | grep -v "^$E2E_PID\$" | tail -n 1)
    [ -n "$saver" ] && [ "$(ticks "$saver")" -gt 0 ] && break
    sleep 0.1
done
server=$(pgrep -n -x 'wineserver(64)?') # the newest: ours
[ -n "${saver:-}" ] && [ -n "$server" ] || { echo "wine_cpu.sh: the saver did not start" >&2; exit 1; }
sleep 3 # past start-up, so the figure is the steady cost
s0=$(ticks "$saver") w0=$(ticks "$server") t0=$(date +%s.%N)
sleep "$RUN_SECONDS"
kill -0 "$saver" 2>/dev/null || { echo "wine_cpu.sh: the saver ended during the run" >&2; exit 1; }
s1=$(ticks "$saver") w1=$(ticks "$server") t1=$(date +%s.%N)
hz=$(getconf CLK_TCK)
awk -v s="$((s1 - s0))" -v w="$((w1 - w0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" 'BEGIN {
    d = t1 - t0
    printf "tavo.scr /s under Wine, 1024x768, %.0f s: saver %.2f cores, wineserver %.2f cores, together %.2f cores\n",
        d, s / hz / d, w / hz / d, (s + w) / hz / d }'
kill "$saver" 2>/dev/null
