# With no stored "Resolution", full screen on a 1920 x 1080 screen draws a sharp picture at the screen's
# own size; a stored one is honoured and scaled up. A picture scaled up from 640 x 480 is made of blocks of
# two or three pixels a side, so at least a quarter of its lit pixels are the corner of a lit 2 x 2 square,
# whatever it shows; one-pixel trails are that only where they crowd.
. "$(dirname "$0")/lib.sh"
start_xvfb

# blocky FILE: per mille of lit pixels that are the corner of a lit 2 x 2 square.
blocky() {
    convert "$1" -colorspace gray -threshold 12% "$WORK/mask.png"
    local all squares
    all=$(convert "$WORK/mask.png" -format '%[fx:round(mean*w*h)]' info:)
    squares=$(convert "$WORK/mask.png" -morphology Erode Rectangle:2x2+0+0 -format '%[fx:round(mean*w*h)]' info:)
    echo $((all > 0 ? 1000 * squares / all : 1000))
}
drawn() { shot "$WORK/a.png" && [ "$(lit "$WORK/a.png")" -gt 1500 ]; }

sharp() { drawn && SHARP=$(blocky "$WORK/a.png") && [ "$SHARP" -lt 150 ]; }

start_tavo
poll 60 drawn || fail "no trails on the screen (lit pixels: $(lit "$WORK/a.png"))"
geometry_is "$(find_window 'Screen Saver')" 1920x1080+0+0 || fail "saver window $(window_geometry "$(find_window 'Screen Saver')")"
SHARP=
poll 60 sharp || fail "the picture looks upscaled: $SHARP per mille of lit pixels in 2 x 2 squares"
kill -TERM "$TAVO_PID"
wait_exit 30

"$TAVO" --set "Resolution=640 x 480" || fail "cannot store a Resolution"
start_tavo
poll 60 drawn || fail "no trails at a stored 640 x 480 (lit pixels: $(lit "$WORK/a.png"))"
scaled=$(blocky "$WORK/a.png")
[ "$scaled" -gt 200 ] || fail "a stored 640 x 480 is not scaled up: $scaled per mille in 2 x 2 squares"
# Letterboxed: 4:3 on 16:9 leaves 240 columns black at each side.
shot "$WORK/side.png" 240x1080+0+0
[ "$(lit "$WORK/side.png")" -eq 0 ] || fail "a 640 x 480 picture drawn outside its letterbox"
kill -TERM "$TAVO_PID"
wait_exit 30
echo "ok"
