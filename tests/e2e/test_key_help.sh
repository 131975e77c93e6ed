# F1 shows the two key-help lines at the top of the picture and F1 again hides them. The text is judged by
# its white pixels spread over the band's whole width and staying in place from shot to shot, which trails
# crossing the band cannot fake; the band without the help serves as the comparison.
. "$(dirname "$0")/lib.sh"
start_xvfb
start_tavo --window 640x480

poll 30 has_window Tavo || fail "no saver window appeared"
window=$(find_window Tavo)
size_is() { [ "$(window_geometry "$window" | cut -d+ -f1)" = 640x480 ]; }
poll 10 size_is || fail "window size $(window_geometry "$window")"
geometry=$(window_geometry "$window")
x=$(echo "$geometry" | cut -d+ -f2)
y=$(echo "$geometry" | cut -d+ -f3)
has_trails() { shot "$WORK/a.png" "$geometry" && [ "$(lit "$WORK/a.png")" -gt 300 ]; }
poll 60 has_trails || fail "no trails in the window"

# band N FILE: the top 30 rows of the picture, third N (0..2) of its middle 600 columns.
band() { convert "$2" -crop "200x30+$((20 + 200 * $1))+0" +repage "$WORK/band.png" && white "$WORK/band.png"; }
help_shown() {
    shot "$1" "$geometry" || return 1
    local t
    for t in 0 1 2; do [ "$(band $t "$1")" -ge 40 ] || return 1; done
}

# Without the help: remember the band's white pixels in a few shots.
without=0
for i in 1 2 3; do
    shot "$WORK/off$i.png" "$geometry"
    n=$(($(band 0 "$WORK/off$i.png") + $(band 1 "$WORK/off$i.png") + $(band 2 "$WORK/off$i.png")))
    [ "$n" -gt "$without" ] && without=$n
done

xdotool key --window "$window" F1
poll 20 help_shown "$WORK/on1.png" || fail "F1 showed no key help"
with=$(($(band 0 "$WORK/on1.png") + $(band 1 "$WORK/on1.png") + $(band 2 "$WORK/on1.png")))
[ "$with" -gt $((2 * without + 100)) ] || fail "band with help $with, without $without"
# The text stays where it is while the trails move on.
for i in 2 3 4; do
    help_shown "$WORK/on$i.png" || fail "the key help went away by itself"
    convert "$WORK/on1.png" -crop 600x30+20+0 +repage -channel RGB -threshold 75% -separate \
        -evaluate-sequence min "$WORK/t1.png"
    convert "$WORK/on$i.png" -crop 600x30+20+0 +repage -channel RGB -threshold 75% -separate \
        -evaluate-sequence min "$WORK/t$i.png"
    moved=$(differ "$WORK/t1.png" "$WORK/t$i.png")
    [ "$moved" -lt $((with / 4)) ] || fail "the band's white pixels moved ($moved of $with)"
done

xdotool key --window "$window" F1
help_gone() { shot "$WORK/gone.png" "$geometry" && ! help_shown "$WORK/gone.png"; }
poll 20 help_gone || fail "F1 again did not hide the key help"
tavo_running || fail "tavo ended"
echo "ok"
