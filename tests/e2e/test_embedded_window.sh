# Inside another program's window (XScreenSaver's -window-id, also after --root): the saver draws into it, follows its resize,
# ignores input, ends with 0 on SIGTERM, and ends cleanly when the owner destroys the window.
. "$(dirname "$0")/lib.sh"
start_xvfb
coproc HOST { "$HELPERS/x11_window" host 800 600; }
read -r -t 30 xid <&"${HOST[0]}" || fail "the host window helper did not start"

start_tavo -window-id "$xid"
in_window() { shot "$WORK/a.png" 800x600+0+0 && [ "$(lit "$WORK/a.png")" -gt 300 ]; }
poll 60 in_window || fail "nothing drawn into window $xid"
shot "$WORK/outside.png" 1000x400+800+600
[ "$(lit "$WORK/outside.png")" -eq 0 ] || fail "drawing outside the host window"

# Input over the window first: the saver still runs once it has followed the resize sent afterwards.
xdotool mousemove 700 500 click 1 key x
echo "resize 1400 1050" >&"${HOST[1]}"
read -r -t 30 reply <&"${HOST[0]}" || fail "the host window helper did not resize"
# The picture follows: the 4:3 picture now fills 1400 x 1050, well beyond the old 800 x 600.
grown() { shot "$WORK/b.png" 600x450+800+600 && [ "$(lit "$WORK/b.png")" -gt 200 ]; }
poll 60 grown || fail "the picture did not follow the resize"
tavo_running || fail "input ended the embedded saver"
kill -TERM "$TAVO_PID"
wait_exit 30
[ "$EXIT_CODE" -eq 0 ] || fail "SIGTERM ended tavo with $EXIT_CODE"

# The owner takes the window away while the saver draws: a clean end, not a crash. Started the way
# XScreenSaver's settings start a preview: the command of tavo.xml with --window-id appended.
start_tavo --root --window-id "$xid"
poll 60 in_window || fail "nothing drawn after the restart"
echo "destroy" >&"${HOST[1]}"
wait_exit 30
[ "$EXIT_CODE" -eq 0 ] || fail "the owner's destroy ended tavo with $EXIT_CODE"

# The id now names no window: our own message and 1, not the X library's raw report.
rc=0; "$TAVO" -window-id "$xid" >/dev/null 2>"$WORK/nowindow.txt" || rc=$?
[ "$rc" -eq 1 ] && grep -q "^tavo: there is no window" "$WORK/nowindow.txt" ||
    fail "a missing window gave $rc: $(head -c 300 "$WORK/nowindow.txt")"
echo "ok"
