#!/bin/bash
# Whole-program cost on a 1920 x 1080 X screen without a GPU: runs `tavo -root` with no stored settings and
# the bare floor program (clear, plot 2000 pixels, push the window surface at 60 Hz) one after the other in
# a private Xvfb, and prints each one's CPU share of one core, the ratio, peak RSS and whether a GL driver
# was mapped. Usage: bench/cpu.sh [BUILD_DIR]  (default build/native-release; RUN_SECONDS=12)
set -u
BUILD=${1:-build/native-release}
TAVO=$BUILD/tavo
FLOOR=$BUILD/bench/tavo_cpu_floor
RUN_SECONDS=${RUN_SECONDS:-12}
for program in "$TAVO" "$FLOOR"; do
    [ -x "$program" ] || { echo "cpu.sh: $program is missing (cmake --preset native-release && cmake --build --preset native-release)" >&2; exit 2; }
done

WORK=$(mktemp -d)
export HOME=$WORK XDG_CONFIG_HOME=$WORK/config XDG_STATE_HOME=$WORK/state
unset XSCREENSAVER_WINDOW SDL_VIDEODRIVER WAYLAND_DISPLAY SDL_FRAMEBUFFER_ACCELERATION
XVFB_PID=
PID=
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

for try in $(seq 1 20); do
    n=$((300 + RANDOM % 600))
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb :$n -screen 0 1920x1080x24 -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    for wait in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break 2; sleep 0.1; done
    kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=
done
[ -n "$XVFB_PID" ] || { echo "cpu.sh: no Xvfb could be started" >&2; exit 2; }

HZ=$(getconf CLK_TCK)
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null; } # utime + stime, clock ticks

# measure NAME COMMAND...: CPU % of one core over RUN_SECONDS after a one-second start, peak RSS in MB.
measure() {
    local name=$1
    shift
    "$@" >"$WORK/$name.out" 2>&1 &
    PID=$!
    sleep 1
    local t0 s0 t1 s1
    t0=$(ticks $PID) s0=$(date +%s.%N)
    sleep "$RUN_SECONDS"
    t1=$(ticks $PID) s1=$(date +%s.%N)
    if [ -z "$t0" ] || [ -z "$t1" ]; then
        echo "cpu.sh: $name ended early:" >&2
        cat "$WORK/$name.out" >&2
        exit 1
    fi
    local hwm gl
    hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$PID/status")
    gl=$(grep -c -E 'swrast|llvmpipe|softpipe|libGL|_dri\.so' "/proc/$PID/maps")
    kill $PID
    wait $PID 2>/dev/null
    PID=
    local cpu
    cpu=$(echo "$t0 $t1 $s0 $s1 $HZ" | awk '{ printf "%.1f", 100 * ($2 - $1) / $5 / ($4 - $3) }')
    printf '%-14s CPU %6s %%   peak RSS %5.1f MB   GL driver mappings %s\n' "$name" "$cpu" \
        "$(echo "$hwm" | awk '{ print $1 / 1024 }')" "$gl"
    eval "CPU_$name=$cpu RSS_$name=$hwm"
}

echo "Xvfb 1920x1080x24, $RUN_SECONDS s each, no stored settings"
measure floor "$FLOOR" $((RUN_SECONDS + 5))
measure tavo "$TAVO" -root
echo "$CPU_tavo $CPU_floor" | awk '{ printf "ratio tavo / floor: %.2f\n", ($2 > 0 ? $1 / $2 : 0) }'
