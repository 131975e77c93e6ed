# `tavo --window` starts, draws trails into its window, keeps animating, and ends with 0 on SIGTERM.
. "$(dirname "$0")/lib.sh"
start_xvfb
start_tavo --window 640x480

poll 30 has_window Tavo || fail "no saver window appeared"
has_trails() { shot "$WORK/a.png" && [ "$(lit "$WORK/a.png")" -gt 300 ]; }
poll 60 has_trails || fail "no trails on the screen (lit pixels: $(lit "$WORK/a.png"))"
moves() { shot "$WORK/b.png" && [ "$(differ "$WORK/a.png" "$WORK/b.png")" -gt 100 ]; }
poll 30 moves || fail "the picture does not change"
tavo_running || fail "tavo ended on its own"

kill -TERM "$TAVO_PID"
wait_exit 30
[ "$EXIT_CODE" -eq 0 ] || fail "SIGTERM ended tavo with $EXIT_CODE"
echo "ok"
