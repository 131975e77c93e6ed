#!/usr/bin/env bash
# The global settings: OK writes what the controls show, Cancel writes nothing, and a dialog with every pattern
# excluded cannot be closed.
source "$(dirname "$0")/../e2e/lib.sh"

step "untick \"Change patterns every\" and OK"
start_dialog
drive check 1028 1 click 1028 check 1028 0 click 1
expect_end 1
expect_value "Morph Settings" "REG_DWORD 0x0"

step "global sliders and check boxes reach the store on OK"
start_dialog
drive check 1028 0 pos 1024 14001 slider 1024 20000 slider 1026 10 slider 1048 0 click 1017 click 1027 \
    select-text 1022 "800 x 600" click 1
expect_end 1
expect_value "Morph Duration" "REG_DWORD 0x1"
expect_value "Painting Mode" "REG_DWORD 0xa"
expect_value "Background Brightness" "REG_DWORD 0x0"
expect_value "Show Names" "REG_DWORD 0x1"
expect_value "Use Random Preset" "REG_DWORD 0x1"
expect_value "Resolution" "REG_SZ 800 x 600"

step "Cancel after changes writes nothing"
before=$(reg_dump)
start_dialog
drive pos 1024 20000 text 1022 "800 x 600" slider 1024 1 select-text 1022 "640 x 480" click 1028 click 1025 click 3 click 2
expect_end 0
[ "$(reg_dump)" = "$before" ] || fail "Cancel changed the store"

step "every pattern excluded: OK, Cancel and the close box refuse"
start_dialog
steps=()
for k in $(seq 0 14); do steps+=(select 1023 "$k" click 1045); done
drive "${steps[@]}" check 1046 0
expect_value "Don't Use Presets" "REG_SZ 000102030405060708091011121314"
refusal="You can't tick \"Don't use this pattern\" for all patterns!"
drive post-click 1 box "$refusal" 1 post-click 2 box "$refusal" 1 close box "$refusal" 1 pane hidden

step "\"Use all patterns\" lets it close"
drive click 1046 check 1045 0 check 1046 1 click 1
expect_end 1
[ "$(exported_line "Don't Use Presets")" = '"Don'"'"'t Use Presets"=""' ] || fail "the exclusion list is not empty"
echo PASS
