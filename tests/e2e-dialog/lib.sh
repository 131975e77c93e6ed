# Shared by the settings dialog's end-to-end scripts: a private Wine prefix on a private Xvfb display, the
# dialog started in the background, the driver, and the registry read back. Sourced, never run.
# Arguments of every script: RUN.exe DRIVE.exe SHOTS-DIR [tavo.scr]
set -uo pipefail

RUN_EXE=$1
DRIVE_EXE=$2
SHOTS=$3
SCR_EXE=${4:-}
KEY='HKCU\Software\Halvex\Tavo'
VERSION=${TAVO_DIALOG_VERSION:?the test registration sets the product version}
WEB_ADDRESS=${TAVO_WEB_ADDRESS:?the test registration sets the web address}
mkdir -p "$SHOTS"

work=$(mktemp -d "${TMPDIR:-/tmp}/tavo-dialog.XXXXXX")
export WINEPREFIX="$work/pfx" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
dialog_pid=""

cleanup() {
    [ -n "$dialog_pid" ] && kill "$dialog_pid" 2>/dev/null
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

step() { echo "--- $*"; }

# A display of our own, so parallel runs never collide.
for _ in $(seq 1 50); do
    n=$((200 + RANDOM % 700))
    [ -e "/tmp/.X${n}-lock" ] && continue
    Xvfb ":$n" -screen 0 "${TAVO_SCREEN_SIZE:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
    done
    if kill -0 "$xvfb_pid" 2>/dev/null; then
        export DISPLAY=":$n"
        break
    fi
    xvfb_pid=""
done
[ -n "$xvfb_pid" ] || fail "could not start Xvfb"

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wineboot -i >/dev/null 2>&1
wine reg import "$here/../wine/ci-settings.reg" >/dev/null 2>&1
wineserver -w

# The product's settings mode when it shows this dialog, else the program that runs it the same way.
dialog_cmd=("$RUN_EXE")
if [ -n "$SCR_EXE" ] && [ -f "$SCR_EXE" ]; then
    wine "$SCR_EXE" /c >/dev/null 2>&1 &
    probe=$!
    if wine "$DRIVE_EXE" probe >/dev/null 2>&1; then dialog_cmd=("$SCR_EXE" /c); fi
    kill "$probe" 2>/dev/null
    wineserver -k >/dev/null 2>&1
    wait "$probe" 2>/dev/null
    wine reg delete "$KEY" /f >/dev/null 2>&1
fi
echo "dialog: ${dialog_cmd[*]}"

# Starts the dialog in the background and waits until it is on screen.
start_dialog() {
    wine "${dialog_cmd[@]}" >/dev/null 2>&1 &
    dialog_pid=$!
    drive wait-dialog
}

# Runs the driver's steps; any failure ends the script.
drive() {
    wine "$DRIVE_EXE" "$@" || fail "driver steps: $*"
}

# The dialog has ended with this exit code (1 OK, 0 Cancel).
expect_end() {
    drive wait-gone
    wait "$dialog_pid"
    local code=$?
    dialog_pid=""
    [ "$code" = "$1" ] || fail "the dialog ended with $code, not $1"
}

# A value of the settings key or of a pattern's subkey, as "TYPE DATA", empty when missing.
reg_value() { # NAME [SUBKEY]
    local key=$KEY
    [ -n "${2:-}" ] && key="$KEY\\$2"
    wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" 'index($0, "    " name "    ") == 1 {
            rest = substr($0, length(name) + 9); type = rest; data = rest
            sub(/ .*/, "", type); sub(/^[^ ]+ */, "", data); print type " " data; exit }'
}

# The whole stored key as text, to compare before and after.
reg_dump() { if wine reg query "$KEY" >/dev/null 2>&1; then wine reg query "$KEY" /s | tr -d '\r'; fi; }

expect_value() { # NAME EXPECTED [SUBKEY]
    local have
    have=$(reg_value "$1" "${3:-}")
    [ "$have" = "$2" ] || fail "value \"$1\" ${3:+of \"$3\" }is \"$have\", not \"$2\""
}

# A value's line as the registry editor exports it ("NAME"=...): the only faithful view of an empty text,
# which `reg query` shows with stray bytes.
exported_line() {
    wine reg export "$KEY" "$work/export.reg" /y >/dev/null 2>&1 || return
    tr -d '\0\r' <"$work/export.reg" | grep -F "\"$1\"=" | head -1
}

key_exists() { wine reg query "$KEY\\$1" >/dev/null 2>&1; }

screenshot() { import -window root "$SHOTS/$1.png" || fail "no screenshot"; }

# Presses a key in the dialog as the user would (the keyboard paths: Return, Escape).
press_key() {
    local window
    # in Wine's virtual desktop the dialog is drawn inside the desktop's own window, which passes keys on
    window=$(xdotool search --name "^Tavo Settings$" 2>/dev/null | head -1)
    [ -n "$window" ] || window=$(xdotool search --name "Wine desktop" 2>/dev/null | head -1)
    [ -n "$window" ] || fail "xdotool finds neither the dialog nor the desktop"
    xdotool windowfocus --sync "$window" >/dev/null 2>&1
    xdotool key "$1"
}
