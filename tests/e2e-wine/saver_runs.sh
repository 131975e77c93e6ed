#!/usr/bin/env bash
# The full-screen saver: it draws moving trails, a key ends it with exit code 0 and nothing in the log.
# "Resolution" "800 x 600" gives an 800 x 600 picture.
# Usage: saver_runs.sh TAVO.SCR SOURCE-DIR
set -uo pipefail
export E2E_SCR=$1 E2E_SOURCE_DIR=$2
. "$E2E_SOURCE_DIR/tests/e2e/lib.sh"
e2e_setup
e2e_reg_set "Background Brightness" REG_DWORD 0 # lit pixels are then trails, never the background

# The other spellings of the mode and a second start are the host's unit tests; this is the real process.
e2e_start_drawing /s
e2e_shot "$E2E_WORK/first.png"
lit=$(e2e_lit_pixels "$E2E_WORK/first.png")
e2e_wait 10 e2e_changed_since "$E2E_WORK/first.png" 200 || e2e_fail "the picture does not move"
e2e_keep_shot trails
e2e_log "/s draws: $lit lit pixels, then a changed picture"
e2e_end_with_key "$E2E_PID"
[ -z "$(e2e_log_file)" ] || e2e_fail "the log has entries: $(e2e_log_contents)"

e2e_reg_set Resolution REG_SZ "800 x 600"
e2e_start_drawing /s
pid=$E2E_PID
desktop=$(xdotool search --name "Wine desktop" getwindowgeometry 2>/dev/null | grep Geometry | head -n1)
[[ "$desktop" == *"800x600"* ]] || e2e_fail "the display is not 800 x 600: $desktop"
# Trails reach beyond the 640 x 480 corner, and the picture ends at 800 x 600.
beyond() { e2e_lit_at_least 20 160x600+640+0 || e2e_lit_at_least 20 800x120+0+480; }
e2e_wait 30 beyond || e2e_fail "nothing drawn beyond 640 x 480"
e2e_keep_shot 800x600
e2e_end_with_key "$pid"
e2e_log "800 x 600: the picture fills 800 x 600"
