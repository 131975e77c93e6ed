#!/usr/bin/env bash
# The dialog as it first shows in a fresh store, the pattern pane shown and hidden (kept only by OK), and the
# ways out: Cancel, the close box, Escape and Return.
source "$(dirname "$0")/../e2e/lib.sh"

step "fresh store: the pattern pane starts hidden"
start_dialog
drive paint pane hidden text 3 "Show Pattern Settings" text 1021 "Tavo Version $VERSION" text 1217 "$WEB_ADDRESS" \
    count 1023 15 item 1023 0 "Tavo" item 1023 14 "3D Sea Snakes" selected 1023 0
drive text 1022 "640 x 480"
screenshot dialog-pane-hidden

step "the pane toggle shows the pane"
drive click 3 pane shown text 3 "Hide Pattern Settings" pos 1005 250 pos 1010 43 text 1008 6 text 1014 15 paint
screenshot dialog-pane-shown

step "a right click on the link does nothing"
drive link-right-click text 1217 "$WEB_ADDRESS"

step "Cancel writes nothing"
drive click 2
expect_end 0
[ -z "$(reg_dump)" ] || fail "Cancel wrote: $(reg_dump)"

step "the pane state is kept only by OK"
start_dialog
drive pane hidden click 3 pane shown click 1
expect_end 1
expect_value "Show More Options" "REG_DWORD 0x0"
expect_value "Morph Settings" "REG_DWORD 0x1"
expect_value "Resolution" "REG_SZ 640 x 480"

step "hidden again, then Escape: still shown next time"
start_dialog
drive pane shown click 3 pane hidden
press_key Escape
expect_end 0
expect_value "Show More Options" "REG_DWORD 0x0"

step "the close box cancels, Return is OK"
start_dialog
drive pane shown close
expect_end 0
start_dialog
drive click 1018
press_key Return
expect_end 1
expect_value "Double Size" "REG_DWORD 0x1"
echo PASS
