# The one library of the end-to-end scripts (sourced, never run): a private work folder, an Xvfb display of
# its own, Wine prefixes, programs started and ended, waits that poll a condition with a generous limit (never
# a fixed sleep), screenshots and picture measures through ImageMagick, and the stored settings read back.
# What the script is, its test registration says:
#   TAVO                 the Linux saver: private settings folders; the script calls start_xvfb
#   E2E_SCR              tavo.scr under Wine (with E2E_SOURCE_DIR): the script calls e2e_setup
#   TAVO_DIALOG_VERSION  the settings dialog under Wine, arguments RUN.exe DRIVE.exe SHOTS-DIR [tavo.scr]:
#                        the display, the prefix and the dialog's program are ready once this is sourced
# With none of them it is a display and a prefix for one Windows program (scripts/wine-run.sh).
set -uo pipefail

LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
TAVO_KEY='HKCU\Software\Halvex\Tavo'
mkdir -p "${TAVO_E2E_WORK:-${TMPDIR:-/tmp}}"
WORK=$(mktemp -d "${TAVO_E2E_WORK:-${TMPDIR:-/tmp}}/tavo-e2e.XXXXXX")
E2E_WORK=$WORK work=$WORK
PIDS=()                      # every program started in the background, ended at clean-up
E2E_PIDS=()                  # the same, for the Wine scripts that add their own
XVFB_PID="" E2E_XVFB_PID="" xvfb_pid=""
TAVO_PID="" dialog_pid=""

cleanup() {
    local pid
    exec 9>&- 2>/dev/null
    for pid in "${PIDS[@]}" "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    [ "${WINEPREFIX:-}" = "$WORK/pfx" ] && wineserver -k >/dev/null 2>&1
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
e2e_cleanup() { cleanup; }
trap cleanup EXIT

# fail TEXT: ends the script; keeps the screen (E2E_SHOTS, KEEP_SHOTS) and shows tavo's standard error.
fail() {
    echo "FAIL: $*" >&2
    e2e_keep_shot failure
    [ -n "${KEEP_SHOTS:-}" ] && cp "$WORK"/*.png "$KEEP_SHOTS"/ 2>/dev/null
    [ -s "$WORK/tavo.err" ] && { echo "--- tavo's standard error:" >&2; cat "$WORK/tavo.err" >&2; }
    exit 1
}
e2e_fail() { fail "$@"; }
e2e_log() { echo "[$(date +%H:%M:%S)] $*"; }
step() { echo "--- $*"; }

# poll SECONDS COMMAND...: true as soon as the command succeeds (its output dropped), false when time is up.
poll() {
    local limit=$(($(date +%s%N) + $1 * 1000000000))
    shift
    while ! "$@" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -ge "$limit" ] && return 1
        sleep 0.1
    done
}
e2e_wait() { poll "$@"; }

# background VAR COMMAND...: starts the command, its output in $WORK/out, its process id in VAR.
background() {
    local var=$1
    shift
    "$@" >>"$WORK/out" 2>&1 &
    printf -v "$var" %s $!
    PIDS+=("$!")
}

ended() { ! kill -0 "$1" 2>/dev/null; }
e2e_running() { kill -0 "$1" 2>/dev/null; }
e2e_ended() { ended "$1"; }

# e2e_wait_exit PID SECONDS: waits for the process to end; E2E_CODE is its exit code, or "timeout". Not for
# use in $(...): only the shell that started the process can read its exit code.
e2e_wait_exit() {
    E2E_CODE=timeout
    poll "$2" ended "$1" || return 0
    E2E_CODE=0
    wait "$1" || E2E_CODE=$?
}

# --- the display --------------------------------------------------------------------------------------------
# Our own Xvfb answers on $DISPLAY: its lock file names our process.
xvfb_ready() {
    kill -0 "$XVFB_PID" 2>/dev/null &&
        [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X${DISPLAY#:}-lock")" = "$XVFB_PID" ] &&
        xdotool getdisplaygeometry >/dev/null 2>&1
}

# start_xvfb [WxH]: a display number of our own, drawn at random from a range nobody else is likely to use.
# No reset when the last client leaves: a reset refuses the connections that arrive meanwhile.
start_xvfb() {
    local n _
    for _ in $(seq 1 20); do
        n=$((300 + RANDOM % 600))
        [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
        Xvfb :$n -screen 0 "${1:-1920x1080}x24" -br -noreset -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
        XVFB_PID=$! E2E_XVFB_PID=$! xvfb_pid=$!
        export DISPLAY=:$n
        poll 20 xvfb_ready && return 0
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=""
    done
    fail "no Xvfb display could be started: $(cat "$WORK/xvfb.log")"
}

# Window ids of X windows whose title is exactly the text.
e2e_windows() { xdotool search --name "^$1\$" 2>/dev/null; }
e2e_window_count() { e2e_windows "$1" | wc -l; }
e2e_has_window() { [ "$(e2e_window_count "$1")" -gt 0 ]; }
has_window() { e2e_has_window "$1"; }
e2e_visible_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
e2e_window_visible() { [ -n "$(e2e_visible_window "$1")" ]; }
# The newest window of the title: SDL may replace its first window when it sets up its renderer.
find_window() { e2e_windows "$1" | tail -n 1; }

# window_geometry ID: WxH+X+Y of a window on the screen.
window_geometry() {
    local WINDOW SCREEN WIDTH=0 HEIGHT=0 X=0 Y=0
    eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
    echo "${WIDTH}x${HEIGHT}+${X}+${Y}"
}
geometry_is() { [ "$(window_geometry "$1")" = "$2" ]; }

# Presses a key in the window with this title once it is on screen (never with --window: see wine.md).
e2e_key_to_window() { # TITLE KEY
    poll 30 e2e_window_visible "$1" || return 1
    xdotool windowfocus "$(e2e_visible_window "$1")" 2>/dev/null
    xdotool key "$2"
}

# --- pictures -----------------------------------------------------------------------------------------------
# shot FILE [GEOMETRY]: a screenshot of the root window, cropped to WxH+X+Y when given.
shot() { import -window root ${2:+-crop "$2" +repage} "$1" 2>/dev/null; }
# e2e_shot FILE [GEOMETRY]: the same, by default the 640 x 480 picture at the top left.
e2e_shot() { shot "$1" "${2:-640x480+0+0}"; }

count_white() { convert "$@" -format '%[fx:round(mean*w*h)]' info: 2>/dev/null || echo 0; }
# lit FILE: pixels brighter than a dark background.
lit() { count_white "$1" -colorspace gray -threshold 12%; }
# e2e_lit_pixels FILE: pixels with any channel above about 4 % of full scale.
e2e_lit_pixels() { count_white "$1" -alpha off -separate -evaluate-sequence Max -threshold 4%; }
# white FILE: pixels whose three channels are all bright (text, not coloured trails).
white() { count_white "$1" -channel RGB -threshold 75% -separate -evaluate-sequence min; }

# differ A B: pixels that differ between two pictures.
differ() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
e2e_changed_pixels() { differ "$@"; }

# True when a fresh screenshot of the geometry has at least this many lit pixels (for poll).
e2e_lit_at_least() { # MIN [GEOMETRY]
    e2e_shot "$WORK/probe.png" "${2:-}" && [ "$(e2e_lit_pixels "$WORK/probe.png")" -ge "$1" ]
}

# True when a fresh screenshot differs from the picture in at least MIN pixels (for poll).
e2e_changed_since() { # FILE MIN [GEOMETRY]
    e2e_shot "$WORK/probe2.png" "${3:-}" && [ "$(differ "$1" "$WORK/probe2.png")" -ge "$2" ]
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

# Keeps the screen next to the test's output when E2E_SHOTS names a directory (for people looking at them).
e2e_keep_shot() {
    [ -n "${E2E_SHOTS:-}" ] && [ -n "${DISPLAY:-}" ] || return 0
    mkdir -p "$E2E_SHOTS"
    shot "$E2E_SHOTS/$(basename "$0" .sh)-$1.png"
}

# --- the Linux saver ----------------------------------------------------------------------------------------
start_tavo() {
    "$TAVO" "$@" >"$WORK/tavo.out" 2>"$WORK/tavo.err" &
    TAVO_PID=$!
    PIDS+=("$!")
}
tavo_running() { kill -0 "$TAVO_PID" 2>/dev/null; }
tavo_ended() { ! tavo_running; }

# wait_exit SECONDS: waits for tavo to end; its exit code in EXIT_CODE.
wait_exit() {
    e2e_wait_exit "$TAVO_PID" "$1"
    [ "$E2E_CODE" != timeout ] || fail "tavo did not end within $1 s"
    EXIT_CODE=$E2E_CODE TAVO_PID=""
}

# --- Windows programs under Wine ----------------------------------------------------------------------------
# A fresh prefix with the project's Wine settings (a virtual desktop, no crash dialog).
wine_prefix() {
    export WINEPREFIX="$WORK/pfx" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >/dev/null 2>&1
    wine reg import "$LIB_DIR/../wine/ci-settings.reg" >/dev/null 2>&1
    wineserver -w
}

# Xvfb, a prefix and a wineserver that stays up for the whole script, so later programs start in a fraction
# of a second.
e2e_setup() {
    start_xvfb 1024x768
    wine_prefix
    wineserver -p >/dev/null 2>&1
    # The virtual desktop ends shortly after the last program and, started afresh, puts the pointer in its
    # centre, which would race with the saver's own reading of the pointer. An idle command interpreter that
    # waits on a pipe keeps one desktop up for the whole script.
    mkfifo "$WORK/keeper"
    wine cmd.exe <"$WORK/keeper" >/dev/null 2>&1 &
    PIDS+=("$!")
    exec 9>"$WORK/keeper"
    poll 30 e2e_has_window "Default - Wine desktop" || fail "the Wine desktop did not start"
    # The pointer starts off the picture's centre, where the session ignores small moves.
    xdotool mousemove 100 100
}

# e2e_start ARGS...: runs tavo.scr with the arguments in the background; its process id is in E2E_PID.
e2e_start() { background E2E_PID wine "$E2E_SCR" "$@"; }

# Runs tavo.scr in the foreground; E2E_CODE is its exit code.
e2e_run() {
    E2E_CODE=0
    timeout 60 wine "$E2E_SCR" "$@" >>"$WORK/out" 2>&1 || E2E_CODE=$?
}

e2e_reg_set() { # NAME TYPE DATA: one value of the saver's own key
    wine reg add "$TAVO_KEY" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1 || fail "could not set $1"
}
e2e_reg_clear() { wine reg delete "$TAVO_KEY" /f >/dev/null 2>&1 || true; }

# The diagnostic log, wherever the saver could write it.
e2e_log_file() {
    local f
    for f in "$WINEPREFIX/drive_c/Tavo.txt" "$WINEPREFIX"/drive_c/users/*/AppData/Local/Tavo/Tavo.txt; do
        [ -f "$f" ] && echo "$f"
    done
}
e2e_log_contents() { local f; for f in $(e2e_log_file); do cat "$f"; done; }

# True when the 640 x 480 picture shows trails on black: enough lit pixels, yet most of it dark (the desktop
# that shows before the saver's window is lit all over).
e2e_shows_trails() {
    e2e_shot "$WORK/probe.png" || return 1
    local lit
    lit=$(e2e_lit_pixels "$WORK/probe.png")
    [ "$lit" -ge 400 ] && [ "$lit" -le 200000 ]
}
e2e_wait_draws() { poll 30 e2e_shows_trails; }

# Starts the full-screen saver and waits until its window is up and it draws trails on black; E2E_PID is its
# process.
e2e_start_drawing() { # ARGS...
    e2e_start "$@"
    poll 30 e2e_has_window "Screen Saver" || fail "tavo.scr $*: no saver window"
    e2e_wait_draws || fail "tavo.scr $*: the saver does not draw"
}

# Ends the saver with a key and expects exit code 0.
e2e_end_with_key() { # PID
    xdotool key a
    e2e_wait_exit "$1" 30
    [ "$E2E_CODE" = 0 ] || fail "the saver did not end with exit code 0 on a key: $E2E_CODE"
    poll 10 eval '! e2e_has_window "Screen Saver"' || fail "the saver window stayed"
}

# The key help shows at the top of the 640 x 480 picture: white text, not coloured trails. Once it shows
# after F1, everything sent before F1 has been handled.
e2e_key_help_shown() { e2e_shot "$WORK/band.png" 600x26+20+0 && [ "$(white "$WORK/band.png")" -ge 60 ]; }

# A process that keeps running for this long. Prefer a condition that shows the input was handled
# (e2e_key_help_shown after F1): this one waits the whole time.
e2e_still_running_after() { # PID SECONDS
    ! poll "$2" ended "$1"
}

# --- the settings dialog under Wine -------------------------------------------------------------------------
# Starts the dialog in the background and waits until it is on screen.
start_dialog() {
    background dialog_pid wine "${dialog_cmd[@]}"
    drive wait-dialog
}

# Runs the driver's steps; any failure ends the script.
drive() { wine "$DRIVE_EXE" "$@" || fail "driver steps: $*"; }

# The dialog has ended with this exit code (1 OK, 0 Cancel).
expect_end() {
    drive wait-gone
    e2e_wait_exit "$dialog_pid" 30
    dialog_pid=""
    [ "$E2E_CODE" = "$1" ] || fail "the dialog ended with $E2E_CODE, not $1"
}

# A value of the settings key or of a pattern's subkey, as "TYPE DATA", empty when missing.
reg_value() { # NAME [SUBKEY]
    local key=$TAVO_KEY
    [ -n "${2:-}" ] && key="$TAVO_KEY\\$2"
    wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" 'index($0, "    " name "    ") == 1 {
            rest = substr($0, length(name) + 9); type = rest; data = rest
            sub(/ .*/, "", type); sub(/^[^ ]+ */, "", data); print type " " data; exit }'
}

# The whole stored key as text, to compare before and after.
reg_dump() { if wine reg query "$TAVO_KEY" >/dev/null 2>&1; then wine reg query "$TAVO_KEY" /s | tr -d '\r'; fi; }

expect_value() { # NAME EXPECTED [SUBKEY]
    local have
    have=$(reg_value "$1" "${3:-}")
    [ "$have" = "$2" ] || fail "value \"$1\" ${3:+of \"$3\" }is \"$have\", not \"$2\""
}

# A value's line as the registry editor exports it ("NAME"=...): the only faithful view of an empty text,
# which `reg query` shows with stray bytes.
exported_line() {
    wine reg export "$TAVO_KEY" "$WORK/export.reg" /y >/dev/null 2>&1 || return
    tr -d '\0\r' <"$WORK/export.reg" | grep -F "\"$1\"=" | head -1
}

key_exists() { wine reg query "$TAVO_KEY\\$1" >/dev/null 2>&1; }

screenshot() { shot "$SHOTS/$1.png" || fail "no screenshot"; }

# Presses a key in the dialog as the user would (the keyboard paths: Return, Escape); in Wine's virtual
# desktop the dialog may be drawn inside the desktop's own window, which passes keys on.
press_key() {
    e2e_key_to_window "Tavo Settings" "$1" || e2e_key_to_window "Default - Wine desktop" "$1" ||
        fail "xdotool finds neither the dialog nor the desktop"
}

# --- what the script is -------------------------------------------------------------------------------------
if [ -n "${TAVO:-}" ]; then
    HELPERS=${TAVO_E2E_HELPERS:?the folder of the helper programs}
    export XDG_CONFIG_HOME=$WORK/config XDG_STATE_HOME=$WORK/state
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME"
    unset XSCREENSAVER_WINDOW SDL_VIDEODRIVER WAYLAND_DISPLAY
elif [ -n "${E2E_SCR:-}" ]; then
    E2E_SOURCE_DIR=${E2E_SOURCE_DIR:?the source tree}
elif [ -n "${TAVO_DIALOG_VERSION:-}" ]; then
    RUN_EXE=$1 DRIVE_EXE=$2 SHOTS=$3 SCR_EXE=${4:-}
    KEY=$TAVO_KEY VERSION=$TAVO_DIALOG_VERSION
    WEB_ADDRESS=${TAVO_WEB_ADDRESS:?the test registration sets the web address}
    mkdir -p "$SHOTS"
    start_xvfb "${TAVO_SCREEN_SIZE:-1024x768}"
    wine_prefix
    # The product's settings mode when it shows this dialog, else the program that runs it the same way.
    dialog_cmd=("$RUN_EXE")
    if [ -n "$SCR_EXE" ] && [ -f "$SCR_EXE" ]; then
        background probe wine "$SCR_EXE" /c
        if wine "$DRIVE_EXE" probe >/dev/null 2>&1; then dialog_cmd=("$SCR_EXE" /c); fi
        kill "$probe" 2>/dev/null
        wineserver -k >/dev/null 2>&1
        wait "$probe" 2>/dev/null
        wine reg delete "$TAVO_KEY" /f >/dev/null 2>&1
    fi
    echo "dialog: ${dialog_cmd[*]}"
fi
