#!/usr/bin/env bash
# Input that must not end the saver and input that must: the saver's own keys leave it running; with the
# pointer off the picture's centre before the start and input sent only once it draws, a move of 3 + 1 pixels
# leaves it running and one of 3 + 2 ends it. F1 after the input shows the key help once all before it has
# been handled.
# Usage: saver_keys.sh TAVO.SCR SOURCE-DIR
set -uo pipefail
export E2E_SCR=$1 E2E_SOURCE_DIR=$2
. "$E2E_SOURCE_DIR/tests/e2e/lib.sh"
e2e_setup
e2e_reg_set "Background Brightness" REG_DWORD 0

# Digits and Ctrl+digits morph, M morphs, the effect keys, D, H, N, P, F1 and Pause toggle; Ctrl+letter is
# not input either. Toggles are pressed twice so the saver ends in its usual state.
keys=(1 2 0 ctrl+3 m c f j l o q s v w z d d h h n n p p F1 F1 Pause Pause ctrl+a ctrl+x)
e2e_start_drawing /s
pid=$E2E_PID
for key in "${keys[@]}"; do
    xdotool key "$key"
    e2e_running "$pid" || e2e_fail "the key $key ended the saver"
done
xdotool key F1
e2e_wait 20 e2e_key_help_shown || e2e_fail "no key help after the saver's keys and F1"
e2e_running "$pid" || e2e_fail "the saver ended after its own keys"
e2e_has_window "Screen Saver" || e2e_fail "the saver window went away after its own keys"
e2e_keep_shot after-keys
e2e_end_with_key "$pid"
e2e_log "the saver's keys leave it running"

xdotool mousemove 100 100
e2e_start_drawing /s
pid=$E2E_PID
xdotool mousemove 103 101 key F1
e2e_wait 20 e2e_key_help_shown || e2e_fail "no key help after a move of 3 + 1 pixels and F1"
e2e_running "$pid" || e2e_fail "a move of 3 + 1 pixels ended the saver"
e2e_end_with_key "$pid"
e2e_log "a move of 3 + 1 pixels leaves it running"

xdotool mousemove 100 100
e2e_start_drawing /s
pid=$E2E_PID
xdotool mousemove 103 102
e2e_wait_exit "$pid" 20
[ "$E2E_CODE" = 0 ] || e2e_fail "a move of 3 + 2 pixels did not end the saver with 0: $E2E_CODE"
e2e_log "a move of 3 + 2 pixels ends it"
[ -z "$(e2e_log_file)" ] || e2e_fail "the log has entries: $(e2e_log_contents)"
