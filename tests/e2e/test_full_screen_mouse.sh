# Full screen: a mouse move of a few pixels, or the pointer the saver found when it started, does not end it;
# a real move does, with exit code 0. Moves are measured in the picture's pixels: here a stored 640 x 480
# picture scaled up to the screen.
. "$(dirname "$0")/lib.sh"
start_xvfb
"$TAVO" --set "Resolution=640 x 480" || fail "cannot store a Resolution"
xdotool mousemove 900 500
start_tavo

poll 30 has_window "Screen Saver" || fail "no full-screen window appeared"
has_trails() { shot "$WORK/a.png" 1440x1080+240+0 && [ "$(lit "$WORK/a.png")" -gt 1000 ]; }
poll 60 has_trails || fail "no trails on the screen"

# A nudge of 6 screen pixels is under 3 pixels of the 640 x 480 picture: the saver stays. F1 afterwards
# shows the key help once both events have been handled.
xdotool mousemove_relative 6 0
xdotool key F1
band_white() { shot "$WORK/band.png" 1340x60+290+0 && [ "$(white "$WORK/band.png")" -ge 300 ]; }
poll 20 band_white || fail "no key help after a nudge of the mouse"
tavo_running || fail "a nudge of the mouse ended the saver"

xdotool mousemove_relative 150 120
wait_exit 30
[ "$EXIT_CODE" -eq 0 ] || fail "moving the mouse ended the saver with $EXIT_CODE"
echo "ok"
