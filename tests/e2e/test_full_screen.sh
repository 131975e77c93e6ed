# Full screen: the picture fills the screen with its aspect kept. What is not input leaves the saver running
# (an effect key; a nudge of 3 screen pixels, about one pixel of the 640 x 480 picture, from the pointer it
# found at its start), and what is input ends it with exit code 0 (any other key; a real move).
. "$(dirname "$0")/lib.sh"
start_xvfb
# A stored 640 x 480 picture, scaled up: moves are measured in its pixels (the screen's own size is the
# native-size test's).
"$TAVO" --set "Resolution=640 x 480" || fail "cannot store a Resolution"
# 640 x 480 shown on 1920 x 1080: x = 240..1679; the bars stay black.
has_trails() { shot "$WORK/a.png" 1440x1080+240+0 && [ "$(lit "$WORK/a.png")" -gt 1000 ]; }
# The key help's two lines at the top of the picture, shown once F1 is handled.
help_shown() { shot "$WORK/band.png" 1340x60+290+0 && [ "$(white "$WORK/band.png")" -ge 300 ]; }

while IFS='|' read -r stays ends; do
    xdotool mousemove 900 500
    start_tavo
    poll 30 has_window "Screen Saver" || fail "no full-screen window appeared"
    poll 60 has_trails || fail "no trails on the screen"
    window=$(find_window 'Screen Saver')
    poll 10 geometry_is "$window" 1920x1080+0+0 || fail "window at $(window_geometry "$window")"
    shot "$WORK/bar.png" 240x1080+0+0
    [ "$(lit "$WORK/bar.png")" -eq 0 ] || fail "the picture spills into the left bar"

    # shellcheck disable=SC2086 # the xdotool commands are split on purpose
    xdotool $stays key F1
    poll 20 help_shown || fail "no key help after $stays and F1"
    tavo_running || fail "$stays ended the saver"
    # shellcheck disable=SC2086
    xdotool $ends
    wait_exit 30
    [ "$EXIT_CODE" -eq 0 ] || fail "$ends ended the saver with $EXIT_CODE"
done <<'CASES'
key c|key x
mousemove_relative 3 0|mousemove_relative 150 120
CASES
echo "ok"
