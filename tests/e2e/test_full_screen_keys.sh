# Full screen: the picture fills the screen, an effect key keeps the saver running, and any other key ends
# it with exit code 0.
. "$(dirname "$0")/lib.sh"
start_xvfb
start_tavo

poll 30 has_window "Screen Saver" || fail "no full-screen window appeared"
has_trails() { shot "$WORK/a.png" && [ "$(lit "$WORK/a.png")" -gt 1000 ]; }
poll 60 has_trails || fail "no trails on the screen"
window=$(find_window 'Screen Saver')
poll 10 geometry_is "$window" 1920x1080+0+0 || fail "window at $(window_geometry "$window")"

# An effect key, then F1: once the key help shows, the effect key has been handled and the saver runs on.
xdotool key c
xdotool key F1
band_white() { shot "$WORK/band.png" 1340x60+290+0 && [ "$(white "$WORK/band.png")" -ge 300 ]; }
poll 20 band_white || fail "no key help after C and F1"
tavo_running || fail "the effect key ended the saver"

xdotool key x
wait_exit 30
[ "$EXIT_CODE" -eq 0 ] || fail "a key ended the saver with $EXIT_CODE"
echo "ok"
