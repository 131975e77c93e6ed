# Shared by the end-to-end scripts: a private Xvfb on a free display number, a private settings folder,
# polling with generous timeouts (never fixed sleeps) and picture measures through ImageMagick.
set -u

TAVO=${TAVO:?the tavo program}
HELPERS=${TAVO_E2E_HELPERS:?the folder of the helper programs}
mkdir -p "${TAVO_E2E_WORK:-/tmp}"
WORK=$(mktemp -d "${TAVO_E2E_WORK:-/tmp}/e2e.XXXXXX" 2>/dev/null || mktemp -d)
export XDG_CONFIG_HOME=$WORK/config XDG_STATE_HOME=$WORK/state
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME"
unset XSCREENSAVER_WINDOW SDL_VIDEODRIVER WAYLAND_DISPLAY

XVFB_PID=
TAVO_PID=
cleanup() {
    [ -n "$TAVO_PID" ] && kill "$TAVO_PID" 2>/dev/null
    [ -n "${HOST_PID:-}" ] && kill "$HOST_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -n "${KEEP_SHOTS:-}" ] && cp "$WORK"/*.png "$KEEP_SHOTS"/ 2>/dev/null
    [ -s "$WORK/tavo.err" ] && { echo "--- tavo's standard error:" >&2; cat "$WORK/tavo.err" >&2; }
    exit 1
}

# poll SECONDS COMMAND...: runs the command every 0.1 s until it succeeds; fails after SECONDS.
poll() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    while ! "$@"; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.1
    done
}

# Our own Xvfb answers on $DISPLAY: its lock file names our process.
xvfb_ready() {
    kill -0 "$XVFB_PID" 2>/dev/null &&
        [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X${DISPLAY#:}-lock")" = "$XVFB_PID" ] &&
        xdotool getdisplaygeometry >/dev/null 2>&1
}

# A display number of our own, drawn at random from a high range that nobody else is likely to use. No
# reset when the last client leaves: a reset refuses the connections that arrive meanwhile.
start_xvfb() {
    local n try
    for try in $(seq 1 20); do
        n=$((300 + RANDOM % 600))
        [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
        Xvfb :$n -screen 0 1920x1080x24 -br -noreset -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
        XVFB_PID=$!
        export DISPLAY=:$n
        poll 20 xvfb_ready && return 0
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    done
    fail "no Xvfb display could be started: $(cat "$WORK/xvfb.log")"
}

start_tavo() {
    "$TAVO" "$@" >"$WORK/tavo.out" 2>"$WORK/tavo.err" &
    TAVO_PID=$!
}

tavo_running() { kill -0 "$TAVO_PID" 2>/dev/null; }
tavo_ended() { ! tavo_running; }

# wait_exit SECONDS: waits for tavo to end; its exit code in EXIT_CODE.
wait_exit() {
    poll "$1" tavo_ended || fail "tavo did not end within $1 s"
    wait "$TAVO_PID"
    EXIT_CODE=$?
    TAVO_PID=
}

# The saver's own window (SDL names it), found by title: the newest one, since SDL may replace its first
# window when it sets up its renderer. Look for it once the picture shows.
find_window() { xdotool search --name "^$1\$" 2>/dev/null | tail -n 1; }

# shot FILE [GEOMETRY]: a screenshot of the root window, optionally cropped (WxH+X+Y).
shot() {
    import -window root "$1" 2>/dev/null || return 1
    if [ $# -ge 2 ]; then convert "$1" -crop "$2" +repage "$1"; fi
}

# lit FILE: pixels brighter than a dark background.
lit() { convert "$1" -colorspace gray -threshold 12% -format '%[fx:round(mean*w*h)]' info:; }

# white FILE: pixels whose three channels are all bright (text, not coloured trails).
white() {
    convert "$1" -channel RGB -threshold 75% -separate -evaluate-sequence min \
        -format '%[fx:round(mean*w*h)]' info:
}

# differ A B: pixels that differ between two pictures.
differ() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# window_geometry ID: WxH+X+Y of a window on the screen.
window_geometry() {
    local WINDOW SCREEN
    local WIDTH=0 HEIGHT=0 X=0 Y=0
    eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
    echo "${WIDTH}x${HEIGHT}+${X}+${Y}"
}

# has_window TITLE: the window exists.
has_window() { [ -n "$(find_window "$1")" ]; }

# geometry_is ID WxH+X+Y: the window has this geometry.
geometry_is() { [ "$(window_geometry "$1")" = "$2" ]; }
