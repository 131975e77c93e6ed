# A window manager's close (WM_DELETE_WINDOW) ends `tavo --window` with exit code 0; input does not.
. "$(dirname "$0")/lib.sh"
start_xvfb
start_tavo --window 640x480

poll 30 has_window Tavo || fail "no saver window appeared"
has_trails() { shot "$WORK/a.png" && [ "$(lit "$WORK/a.png")" -gt 300 ]; }
poll 60 has_trails || fail "no trails on the screen"
window=$(find_window Tavo)

# In a window, keys, buttons and moves leave the saver running.
xdotool mousemove 10 10 mousemove 400 300 click 1 key x key Escape
moves() { shot "$WORK/b.png" && [ "$(differ "$WORK/a.png" "$WORK/b.png")" -gt 100 ]; }
poll 30 moves || fail "the picture stopped changing"
tavo_running || fail "input ended the windowed saver"

"$HELPERS/x11_delete_window" "$window" || fail "could not send WM_DELETE_WINDOW"
wait_exit 30
[ "$EXIT_CODE" -eq 0 ] || fail "closing the window ended tavo with $EXIT_CODE"
echo "ok"
