# `tavo --window` draws moving trails into its window; keys, buttons and moves reach it without ending it
# (F1 among them shows the key help, so the others have been handled by then); SIGTERM and a window
# manager's close (WM_DELETE_WINDOW) end it with exit code 0.
. "$(dirname "$0")/lib.sh"
start_xvfb
has_trails() { shot "$WORK/a.png" && [ "$(lit "$WORK/a.png")" -gt 300 ]; }
moves() { shot "$WORK/b.png" && [ "$(differ "$WORK/a.png" "$WORK/b.png")" -gt 100 ]; }
# The key help's two lines: white pixels over the top of the picture.
help_shown() { shot "$WORK/band.png" "600x26+$((x + 20))+$y" && [ "$(white "$WORK/band.png")" -ge 60 ]; }

for end in SIGTERM WM_DELETE_WINDOW; do
    start_tavo --window 640x480
    poll 30 has_window Tavo || fail "no saver window appeared"
    poll 60 has_trails || fail "no trails on the screen (lit pixels: $(lit "$WORK/a.png"))"
    window=$(find_window Tavo)
    if [ "$end" = SIGTERM ]; then
        size_is() { [ "$(window_geometry "$window" | cut -d+ -f1)" = 640x480 ]; }
        poll 10 size_is || fail "window size $(window_geometry "$window")"
        IFS=+ read -r _ x y <<<"$(window_geometry "$window")"
        poll 30 moves || fail "the picture does not change"
        help_shown && fail "the key help shows before F1"
        xdotool mousemove $((x + 10)) $((y + 10)) mousemove $((x + 400)) $((y + 300)) click 1 key x key Escape key F1
        poll 30 help_shown || fail "F1 after the other input showed no key help"
        tavo_running || fail "input ended the windowed saver"
        kill -TERM "$TAVO_PID"
    else
        "$HELPERS/x11_window" delete "$window" || fail "could not send WM_DELETE_WINDOW"
    fi
    wait_exit 30
    [ "$EXIT_CODE" -eq 0 ] || fail "$end ended tavo with $EXIT_CODE"
done
echo "ok"
