#!/usr/bin/env bash
# What the settings change on the screen: "Show Names" puts the pattern name on the bottom line,
# "Background Brightness" 255 without "Random Background" gives the blue gradient, and a "Resolution" the
# display cannot take shows a box titled "Initialisation Error" and logs it.
# Usage: saver_display.sh TAVO.SCR SOURCE-DIR
set -uo pipefail
export E2E_SCR=$1 E2E_SOURCE_DIR=$2
. "$E2E_SOURCE_DIR/tests/e2e/lib.sh"
e2e_setup
e2e_reg_set "Background Brightness" REG_DWORD 0
e2e_reg_set "Painting Mode" REG_DWORD 0 # trails move on; only the text stays put
e2e_reg_set "Show Hints" REG_DWORD 0

# Pixels of the bottom line's middle that stay lit over three pictures a second apart.
name_pixels() {
    local i
    for i in 1 2 3; do
        e2e_wait 1 false
        e2e_shot "$E2E_WORK/bottom$i.png" 320x24+160+456
    done
    e2e_steady_lit_pixels "$E2E_WORK/steady.png" "$E2E_WORK"/bottom[123].png
}

for names in 0 1; do
    e2e_reg_set "Show Names" REG_DWORD "$names"
    e2e_start_drawing /s
    pid=$E2E_PID
    steady=$(name_pixels)
    e2e_keep_shot "names-$names"
    e2e_end_with_key "$pid"
    e2e_log "\"Show Names\" $names: $steady steady pixels on the bottom line"
    if [ "$names" = 0 ]; then
        [ "$steady" -lt 30 ] || e2e_fail "the bottom line holds steady pixels without names: $steady"
    else
        [ "$steady" -ge 30 ] || e2e_fail "no name on the bottom line: $steady steady pixels"
    fi
done
e2e_reg_set "Show Names" REG_DWORD 0

e2e_reg_set "Background Brightness" REG_DWORD 255
e2e_reg_set "Random Background" REG_DWORD 0
# Dark at the top, nearly full blue at the bottom, no red: unlike the desktop, which is one colour.
gradient_shown() {
    e2e_shot "$E2E_WORK/gradient.png" || return 1
    top=$(e2e_channel_mean "$E2E_WORK/gradient.png" b 640x16+0+0)
    bottom=$(e2e_channel_mean "$E2E_WORK/gradient.png" b 640x16+0+460)
    red=$(e2e_channel_mean "$E2E_WORK/gradient.png" r 640x16+0+460)
    [ "$top" -le 24 ] && [ "$bottom" -ge 200 ] && [ "$red" -le 40 ]
}
e2e_start /s
pid=$E2E_PID
e2e_wait 30 e2e_has_window "Screen Saver" || e2e_fail "no saver window"
e2e_wait 30 gradient_shown || e2e_fail "no blue gradient: blue $top at the top, $bottom at the bottom, red $red"
e2e_keep_shot gradient
e2e_end_with_key "$pid"
e2e_log "gradient: blue $top at the top, $bottom at the bottom (red $red)"
e2e_reg_set "Background Brightness" REG_DWORD 0

e2e_reg_set Resolution REG_SZ "1280 x 1024"
e2e_start /s
pid=$E2E_PID
e2e_wait 30 e2e_has_window "Initialisation Error" || e2e_fail "no box titled \"Initialisation Error\""
e2e_keep_shot init-error
e2e_key_to_window "Initialisation Error" Return || e2e_fail "the box is not on screen"
e2e_wait_exit "$pid" 30
[ "$E2E_CODE" != timeout ] || e2e_fail "the saver did not end after the box"
e2e_has_window "Screen Saver" && e2e_fail "a saver window stayed after the failure"
log=$(e2e_log_contents | tr -d '\r')
echo "$log"
grep -q '> DDInitFail: .' <<<"$log" || e2e_fail "no \"DDInitFail: \" entry in the log"
e2e_log "a display failure shows its box, logs DDInitFail and ends (exit code $E2E_CODE)"
