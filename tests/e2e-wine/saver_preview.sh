#!/usr/bin/env bash
# The preview: a host program gives tavo.scr its window with /p HWND and checks the preview child, the forwarded
# context menu, that input to the preview does not end it, and a clean end when the host closes its window.
# A preview without a usable window ends with −1 (255); the settings mode, with /c or nothing at all, shows the
# settings dialog and ends with 0 when it is cancelled.
# Usage: saver_preview.sh TAVO.SCR SOURCE-DIR PREVIEW-HOST.EXE
set -uo pipefail
export E2E_SCR=$1 E2E_SOURCE_DIR=$2
preview_host=$3
. "$E2E_SOURCE_DIR/tests/e2e/lib.sh"
e2e_setup

# Which modes fail is the host's unit test; here the code reaches the caller of the real process.
e2e_run /p 0
[ "$E2E_CODE" = 255 ] || e2e_fail "tavo.scr /p 0: exit code $E2E_CODE, expected 255"
e2e_log "a preview without a window: exit code 255"

e2e_start
e2e_wait 30 e2e_has_window "Tavo Settings" || e2e_fail "tavo.scr: no settings dialog"
e2e_key_to_window "Tavo Settings" Escape || e2e_fail "tavo.scr: the settings dialog is not on screen"
e2e_wait_exit "$E2E_PID" 30
[ "$E2E_CODE" = 0 ] || e2e_fail "tavo.scr: the cancelled settings ended with $E2E_CODE"
e2e_log "settings mode: the dialog shows and a cancel ends it with 0"

out="$E2E_WORK/preview-host.txt"
# The host waits up to 30 seconds for the preview to draw on after input; it looks at the picture itself.
timeout 120 wine "$preview_host" "$(winepath -w "$E2E_SCR")" 30 >"$out" 2>&1 &
host_pid=$!
E2E_PIDS+=("$host_pid")
e2e_wait 60 e2e_has_window "Tavo Preview Host" || e2e_fail "the preview host's window did not appear"
e2e_wait 30 grep -q "preview child" "$out" || e2e_fail "no preview child: $(cat "$out")"
e2e_wait 30 grep -q "new pictures\|FAIL" "$out" && e2e_keep_shot preview
e2e_wait_exit "$host_pid" 60
tr -d '\r' <"$out"
[ "$E2E_CODE" = 0 ] || e2e_fail "the preview host reported failure $E2E_CODE"
e2e_log "preview: child appeared, ran and ended with its parent"
