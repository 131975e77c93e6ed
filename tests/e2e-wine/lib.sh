# Shared steps of the Wine end-to-end scripts (sourced, not run): a private prefix with the project's Wine
# settings on a private Xvfb display, starting and ending programs, waiting for conditions, and judging
# screenshots. Every wait has a generous timeout and polls its condition; nothing sleeps a fixed time where a
# condition exists.

E2E_SCR=${E2E_SCR:?the tavo.scr to test}
E2E_SOURCE_DIR=${E2E_SOURCE_DIR:?the source tree}
E2E_WORK=""
E2E_XVFB_PID=""
E2E_PIDS=() # programs started under Wine, ended at clean-up if still running

e2e_log() { echo "[$(date +%H:%M:%S)] $*"; }

e2e_fail() {
    echo "FAIL: $*" >&2
    e2e_keep_shot failure
    exit 1
}

e2e_cleanup() {
    local pid
    exec 9>&- 2>/dev/null
    for pid in "${E2E_PIDS[@]}"; do
        kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null
    done
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
    [ -n "$E2E_XVFB_PID" ] && kill "$E2E_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    [ -n "$E2E_WORK" ] && rm -rf "$E2E_WORK"
}

# Xvfb on a free display number, a fresh prefix with ci-settings.reg, and a wineserver that stays up for the
# whole script, so later programs start in a fraction of a second.
e2e_setup() {
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/tavo-e2e.XXXXXX")
    trap e2e_cleanup EXIT
    export WINEPREFIX="$E2E_WORK/pfx" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    local n _
    for _ in $(seq 1 50); do
        n=$((200 + RANDOM % 700))
        [ -e "/tmp/.X${n}-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        E2E_XVFB_PID=$!
        e2e_wait 5 test -e "/tmp/.X11-unix/X$n"
        if kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            break
        fi
        E2E_XVFB_PID=""
    done
    [ -n "$E2E_XVFB_PID" ] || e2e_fail "could not start Xvfb"
    wineboot -i >/dev/null 2>&1
    wine reg import "$E2E_SOURCE_DIR/tests/wine/ci-settings.reg" >/dev/null 2>&1
    wineserver -w
    wineserver -p >/dev/null 2>&1
    # The virtual desktop ends shortly after the last program and, started afresh, puts the pointer in its
    # centre, which would race with the saver's own reading of the pointer. An idle command interpreter that
    # waits on a pipe keeps one desktop up for the whole script.
    mkfifo "$E2E_WORK/keeper"
    wine cmd.exe <"$E2E_WORK/keeper" >/dev/null 2>&1 &
    E2E_PIDS+=("$!")
    exec 9>"$E2E_WORK/keeper"
    e2e_wait 30 e2e_has_window "Default - Wine desktop" || e2e_fail "the Wine desktop did not start"
    # The pointer starts off the picture's centre, where the session ignores small moves.
    xdotool mousemove 100 100
}

# e2e_wait SECONDS COMMAND...: true as soon as the command succeeds, false when the time is up.
e2e_wait() {
    local limit=$(($(date +%s%N) + $1 * 1000000000))
    shift
    while ! "$@" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -ge "$limit" ] && return 1
        sleep 0.2
    done
    return 0
}

# --- programs under Wine ---------------------------------------------------------------------------------------
# e2e_start ARGS...: runs tavo.scr with the arguments in the background; its process id is in E2E_PID.
e2e_start() {
    wine "$E2E_SCR" "$@" >>"$E2E_WORK/wine.out" 2>&1 &
    E2E_PID=$!
    E2E_PIDS+=("$E2E_PID")
}

e2e_running() { kill -0 "$1" 2>/dev/null; }
e2e_ended() { ! kill -0 "$1" 2>/dev/null; }

# e2e_wait_exit PID SECONDS: waits for the process to end; E2E_CODE is its exit code, or "timeout". Not for
# use in $(...): only the shell that started the process can read its exit code.
e2e_wait_exit() {
    E2E_CODE=timeout
    e2e_wait "$2" e2e_ended "$1" || return 0
    E2E_CODE=0
    wait "$1" || E2E_CODE=$?
}

# Runs tavo.scr in the foreground; E2E_CODE is its exit code.
e2e_run() {
    E2E_CODE=0
    timeout 60 wine "$E2E_SCR" "$@" >>"$E2E_WORK/wine.out" 2>&1 || E2E_CODE=$?
}

e2e_reg_set() { # NAME TYPE DATA: one value of the saver's own key
    wine reg add 'HKCU\Software\Halvex\Tavo' /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1 ||
        e2e_fail "could not set $1"
}
e2e_reg_clear() { wine reg delete 'HKCU\Software\Halvex\Tavo' /f >/dev/null 2>&1 || true; }

# Window ids of X windows whose title is exactly the text.
e2e_windows() { xdotool search --name "^$1\$" 2>/dev/null; }
e2e_window_count() { e2e_windows "$1" | wc -l; }
e2e_has_window() { [ "$(e2e_window_count "$1")" -gt 0 ]; }
e2e_visible_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
e2e_window_visible() { [ -n "$(e2e_visible_window "$1")" ]; }

# Presses a key in the window with this title once it is on screen (never with --window: see wine.md).
e2e_key_to_window() { # TITLE KEY
    e2e_wait 30 e2e_window_visible "$1" || return 1
    xdotool windowfocus "$(e2e_visible_window "$1")" 2>/dev/null
    xdotool key "$2"
}

# The diagnostic log, wherever the saver could write it.
e2e_log_file() {
    local f
    for f in "$WINEPREFIX/drive_c/Tavo.txt" "$WINEPREFIX"/drive_c/users/*/AppData/Local/Tavo/Tavo.txt; do
        [ -f "$f" ] && echo "$f"
    done
}
e2e_log_contents() { local f; for f in $(e2e_log_file); do cat "$f"; done; }

# --- pictures -------------------------------------------------------------------------------------------------
# e2e_shot FILE [GEOMETRY]: the screen, cropped (default: the 640 x 480 picture at the top left).
e2e_shot() { import -window root -crop "${2:-640x480+0+0}" +repage "$1" 2>/dev/null; }

# Pixels with any channel above about 4 % of full scale.
e2e_lit_pixels() {
    convert "$1" -alpha off -separate -evaluate-sequence Max -threshold 4% -format '%[fx:round(mean*w*h)]' info: 2>/dev/null ||
        echo 0
}

# Pixels that differ between two pictures.
e2e_changed_pixels() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# True when a fresh screenshot of the geometry has at least this many lit pixels (for e2e_wait).
e2e_lit_at_least() { # MIN [GEOMETRY]
    e2e_shot "$E2E_WORK/probe.png" "${2:-640x480+0+0}" && [ "$(e2e_lit_pixels "$E2E_WORK/probe.png")" -ge "$1" ]
}

# True when the 640 x 480 picture shows trails on black: enough lit pixels, yet most of it dark (the desktop
# that shows before the saver's window is lit all over).
e2e_shows_trails() {
    e2e_shot "$E2E_WORK/probe.png" 640x480+0+0 || return 1
    local lit
    lit=$(e2e_lit_pixels "$E2E_WORK/probe.png")
    [ "$lit" -ge 400 ] && [ "$lit" -le 200000 ]
}

e2e_wait_draws() { e2e_wait 30 e2e_shows_trails; }

# Keeps a screenshot next to the test's output when E2E_SHOTS names a directory (for people looking at them).
e2e_keep_shot() {
    [ -n "${E2E_SHOTS:-}" ] && [ -n "$E2E_WORK" ] || return 0
    mkdir -p "$E2E_SHOTS"
    e2e_shot "$E2E_SHOTS/$(basename "$0" .sh)-$1.png" 1024x768+0+0
}

# True when a fresh screenshot differs from the picture in at least MIN pixels (for e2e_wait).
e2e_changed_since() { # FILE MIN [GEOMETRY]
    e2e_shot "$E2E_WORK/probe2.png" "${3:-640x480+0+0}" &&
        [ "$(e2e_changed_pixels "$1" "$E2E_WORK/probe2.png")" -ge "$2" ]
}

# Mean of one channel (r, g or b) over a part of a picture, 0..255.
e2e_channel_mean() { # FILE CHANNEL GEOMETRY
    convert "$1" -crop "$3" +repage -format "%[fx:round(mean.$2*255)]" info: 2>/dev/null
}

# Pixels lit in every one of the pictures (what stays put while the trails move on).
e2e_steady_lit_pixels() { # OUT FILE...
    local out=$1
    shift
    convert "$@" -evaluate-sequence Min "$out" 2>/dev/null && e2e_lit_pixels "$out"
}

# Starts the full-screen saver and waits until its window is up and it draws trails on black; E2E_PID is its
# process.
e2e_start_drawing() { # ARGS...
    e2e_start "$@"
    e2e_wait 30 e2e_has_window "Screen Saver" || e2e_fail "tavo.scr $*: no saver window"
    e2e_wait_draws || e2e_fail "tavo.scr $*: the saver does not draw"
}

# Ends the saver with a key and expects exit code 0.
e2e_end_with_key() { # PID
    xdotool key a
    e2e_wait_exit "$1" 30
    [ "$E2E_CODE" = 0 ] || e2e_fail "the saver did not end with exit code 0 on a key: $E2E_CODE"
    e2e_wait 10 eval '! e2e_has_window "Screen Saver"' || e2e_fail "the saver window stayed"
}

# A process that keeps running for this long (input it should ignore has had time to arrive).
e2e_still_running_after() { # PID SECONDS
    ! e2e_wait "$2" e2e_ended "$1"
}
