#!/usr/bin/env bash
# The installer as a user meets it: a silent install puts tavo.scr into the system folder, names it in the
# screen-saver list ("Tavo", from string 1 of the installed file, which also carries its manifest), makes it
# the current screen saver and registers it in Apps & features; the saver then draws from there. A silent
# uninstall takes the file, the registration and the current-saver entry away and keeps the user's patterns.
# The installer program here is 64-bit: this Wine runs no 32-bit programs.
# Usage: installer.sh TAVO.SCR SOURCE-DIR PREVIEW-HOST RESOURCE-PROBE
set -uo pipefail
export E2E_SCR=$1 E2E_SOURCE_DIR=$2
probe=$4
. "$E2E_SOURCE_DIR/tests/e2e/lib.sh"
e2e_setup

setup=$E2E_WORK/tavo-setup.exe
"$E2E_SOURCE_DIR/scripts/package-windows.sh" --amd64-stub --out "$setup" >"$E2E_WORK/package.log" 2>&1 ||
    e2e_fail "the installer was not built: $(tail -5 "$E2E_WORK/package.log")"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavo'
desktop_key='HKCU\Control Panel\Desktop'
system32=$WINEPREFIX/drive_c/windows/system32
reg_text() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }

timeout 120 wine "$setup" /S || e2e_fail "the silent install failed"
e2e_wait 60 wine reg query "$uninstall_key" /v EstimatedSize || e2e_fail "the install did not finish"
cmp -s "$E2E_SCR" "$system32/tavo.scr" || e2e_fail "the 64-bit tavo.scr is not in system32"
for value in DisplayName DisplayVersion Publisher UninstallString EstimatedSize DisplayIcon; do
    [ -n "$(reg_text "$uninstall_key" "$value")" ] || e2e_fail "Apps & features has no $value"
done
version=$(reg_text "$uninstall_key" DisplayVersion)
saver=$(reg_text "$desktop_key" SCRNSAVE.EXE)
[[ "${saver,,}" == *'\system32\tavo.scr' ]] || e2e_fail "SCRNSAVE.EXE is \"$saver\""
[ "$(reg_text "$desktop_key" ScreenSaveActive)" = 1 ] || e2e_fail "ScreenSaveActive is not 1"
e2e_log "installed $version as $saver"

resources=$(wine "$probe" 'C:\windows\system32\tavo.scr' | tr -d '\r')
grep -qx 'string 1: Tavo' <<<"$resources" || e2e_fail "string 1 of the installed file: $resources"
grep -qx "product version: $version" <<<"$resources" || e2e_fail "its version resource: $resources"
for part in PerMonitorV2 true/pm Microsoft.Windows.Common-Controls 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a \
    35138b9a-5d96-4fbd-8e2d-a2440225f93a; do
    grep -q "^manifest: .*$part" <<<"$resources" || e2e_fail "the manifest has no $part"
done
e2e_log "the installed file: string 1 \"Tavo\", version $version, manifest embedded"

e2e_reg_set "Background Brightness" REG_DWORD 0
pattern='HKCU\Software\Halvex\Tavo\My Pattern' # one the user made
wine reg add "$pattern" /v "Trail Length" /t REG_DWORD /d 300 /f >/dev/null 2>&1 || e2e_fail "no pattern"
export E2E_SCR='C:\windows\system32\tavo.scr'
e2e_start_drawing /s
e2e_end_with_key "$E2E_PID"
e2e_log "the installed saver draws"

timeout 120 wine 'C:\Program Files\Tavo\uninstall.exe' /S || e2e_fail "the silent uninstall failed"
# the uninstaller runs on from a copy of itself
e2e_wait 60 eval '! wine reg query "$uninstall_key"' || e2e_fail "the uninstall key is still there"
[ ! -e "$system32/tavo.scr" ] || e2e_fail "tavo.scr is still in system32"
[ -z "$(reg_text "$desktop_key" SCRNSAVE.EXE)" ] || e2e_fail "SCRNSAVE.EXE still names Tavo"
wine reg query "$pattern" /v "Trail Length" 2>/dev/null | grep -q 0x12c || e2e_fail "the user's pattern went"
e2e_log "uninstalled; the settings stay"
echo PASS
