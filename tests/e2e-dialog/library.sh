#!/usr/bin/env bash
# Copy, Rename and Delete of user patterns through the name prompt, the duplicate-name refusal, and the
# pattern a saver starts with after Copy then OK.
source "$(dirname "$0")/../e2e/lib.sh"
duplicate() { printf 'There is already a pattern called "%s".\nChoose a different name.' "$1"; }

step "Copy \"Pellory's Kandy\": the proposal, then a new user pattern with all fifteen values"
start_dialog
drive click 3 select 1023 10 post-click 7 prompt "Copy of Pellory's Kandy" "Kandy Two" prompt-gone \
    count 1023 16 item 1023 15 "Kandy Two" selected 1023 15
values=$(wine reg query "$KEY\\Kandy Two" 2>/dev/null | tr -d '\r' | grep -c '^    ')
[ "$values" = 15 ] || fail "the copy's subkey holds $values values"
expect_value "Trail Length" "REG_DWORD 0x3e8" "Kandy Two"

step "the same name again, in other letter case, is refused and the prompt stays"
drive select 1023 10 post-click 7 prompt "Copy of Pellory's Kandy" "kandy two" box "$(duplicate "kandy two")" 1 \
    prompt "kandy two" - prompt-gone count 1023 16

step "the prompt's close box and an empty answer change nothing"
drive post-click 7 prompt-close prompt-gone post-click 7 prompt "Copy of Pellory's Kandy" "" prompt-gone \
    count 1023 16

step "Rename the copy; Defaults refuses a user pattern"
drive select 1023 15 post-click 8 prompt "Kandy Two" "Kandy Three" prompt-gone item 1023 15 "Kandy Three" \
    post-click 6 box "You can only restore the standard patterns to their default settings." 1
key_exists "Kandy Two" && fail "the old name's subkey stayed"
expect_value "Trail Length" "REG_DWORD 0x3e8" "Kandy Three"

step "Copy then OK: \"Preset\" names the selected copy, and a saver starts with it"
drive select 1023 0 post-click 7 prompt "Copy of Tavo" "Aardvark" prompt-gone \
    item 1023 15 "Aardvark" item 1023 16 "Kandy Three" selected 1023 15 click 1
expect_end 1
expect_value "Preset" "REG_DWORD 0xf"
started=$(wine "$RUN_EXE" start 2>/dev/null | tr -d '\r')
[ "$started" = "Aardvark" ] || fail "a saver would start with \"$started\""

step "Delete a user pattern (No is the default)"
start_dialog
drive selected 1023 15 select 1023 16 \
    post-click 9 box "Are you sure you want to delete \"Kandy Three\"?" 7 7 count 1023 17 \
    post-click 9 box "Are you sure you want to delete \"Kandy Three\"?" 6 7 count 1023 16 \
    no-item 1023 "Kandy Three" selected 1023 15
key_exists "Kandy Three" && fail "Delete left the subkey"
expect_value "Preset" "REG_DWORD 0xf"

step "a name longer than thirty characters is cut to thirty"
drive post-click 7 prompt "Copy of Aardvark" "Abcdefghijklmnopqrstuvwxyz1234567890" prompt-gone \
    item 1023 15 "Aardvark" item 1023 16 "Abcdefghijklmnopqrstuvwxyz1234" selected 1023 16 click 2
expect_end 0
key_exists "Abcdefghijklmnopqrstuvwxyz1234" || fail "the cut name has no subkey"
echo PASS
