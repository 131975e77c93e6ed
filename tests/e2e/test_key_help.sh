# F1 shows the two key-help lines at the top of the picture and F1 again hides them. The text is judged by
# white pixels spread over the whole width of the band that stay exactly in place from shot to shot while
# the trails move on: trails crossing the band cannot fake that. The band before F1 is the comparison.
. "$(dirname "$0")/lib.sh"
start_xvfb
start_tavo --window 640x480

poll 30 has_window Tavo || fail "no saver window appeared"
has_trails() { shot "$WORK/a.png" && [ "$(lit "$WORK/a.png")" -gt 300 ]; }
poll 60 has_trails || fail "no trails on the screen"
window=$(find_window Tavo)
size_is() { [ "$(window_geometry "$window" | cut -d+ -f1)" = 640x480 ]; }
poll 10 size_is || fail "window size $(window_geometry "$window")"
geometry=$(window_geometry "$window")

# band SHOT OUT: the white pixels of the top 30 rows, columns 20..619, as a black and white picture.
band() {
    convert "$1" -crop 600x30+20+0 +repage -channel RGB -threshold 75% -separate -evaluate-sequence min "$2"
}
# spread BAND: every third of the band holds at least 40 white pixels.
spread() {
    local t
    for t in 0 1 2; do
        convert "$1" -crop "200x30+$((200 * t))+0" +repage "$WORK/third.png"
        [ "$(white "$WORK/third.png")" -ge 40 ] || return 1
    done
}
# text_in_band: three shots in a row whose bands are spread and whose white pixels stay in place.
text_in_band() {
    local i count moved
    for i in 1 2 3; do
        shot "$WORK/s$i.png" "$geometry" || return 1
        band "$WORK/s$i.png" "$WORK/b$i.png"
        spread "$WORK/b$i.png" || return 1
    done
    count=$(white "$WORK/b1.png")
    for i in 2 3; do
        moved=$(differ "$WORK/b1.png" "$WORK/b$i.png")
        [ "$moved" -lt $((count / 5)) ] || return 1
    done
}
no_text_in_band() { ! text_in_band; }

text_in_band && fail "the band looks like text before F1"
xdotool key --window "$window" F1
poll 30 text_in_band || fail "F1 showed no key help"
xdotool key --window "$window" F1
poll 30 no_text_in_band || fail "F1 again did not hide the key help"
tavo_running || fail "tavo ended"
echo "ok"
