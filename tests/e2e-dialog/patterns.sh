#!/usr/bin/env bash
# A standard pattern edited, listed as modified, reverted by Defaults; the save question on the list; the
# refusals for standard patterns.
source "$(dirname "$0")/../e2e/lib.sh"

step "move \"Trail Length\" of \"Tavo\" and OK"
start_dialog
drive click 3 selected 1023 0 slider 1005 600 click 1
expect_end 1
expect_value "Trail Length" "REG_DWORD 0x258" "Tavo"
expect_value "Trail Width" "REG_DWORD 0x14" "Tavo"

step "next start: \"Tavo (Modified)\"; Defaults (No is the default) removes subkey and suffix"
start_dialog
drive item 1023 0 "Tavo (Modified)" pos 1005 600 \
    post-click 6 box "Are you sure you want to revert \"Tavo\" back to its default settings?" 7 7 \
    item 1023 0 "Tavo (Modified)" \
    post-click 6 box "Are you sure you want to revert \"Tavo\" back to its default settings?" 6 7 \
    item 1023 0 "Tavo" pos 1005 250
key_exists "Tavo" && fail "Defaults left the subkey \"Tavo\""

step "standard patterns cannot be renamed or deleted"
drive select 1023 2 post-click 8 box "You can't rename the standard patterns." 1 \
    post-click 9 box "You can't delete the standard patterns." 1 count 1023 15

step "the save question when the list gets the focus with unsaved edits"
drive list-focus no-box slider 1026 7 list-focus no-box \
    slider 1006 50 list-focus box "Do you want to save your changes to \"Slow Ripples\" first?" 7 6 \
    item 1023 2 "Slow Ripples" \
    list-focus box "Do you want to save your changes to \"Slow Ripples\" first?" 6 6 \
    item 1023 2 "Slow Ripples (Modified)" selected 1023 2
expect_value "Trail Width" "REG_DWORD 0x32" "Slow Ripples"

step "picking another pattern drops unsaved edits"
drive select 1023 1 pos 1005 400 slider 1005 999 select 1023 3 select 1023 1 pos 1005 400 list-focus no-box \
    click 2
expect_end 0
key_exists "Pentagonal Lines" && fail "dropped edits were stored"
echo PASS
