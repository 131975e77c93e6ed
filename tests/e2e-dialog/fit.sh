#!/usr/bin/env bash
# The dialog at the display scales Windows users run: every control inside it and no text cut at 96 and at
# 144 dots per inch, the whole dialog drawn larger at the larger scale; and the help built into the program
# answers the Help button and F1 on a control.
export TAVO_SCREEN_SIZE=1600x1200
source "$(dirname "$0")/../e2e/lib.sh"

set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1600x1200 /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1
    wineserver -w
}


measured=()
for dpi in 96 144; do
    step "$dpi dpi: every control fits"
    set_dpi "$dpi"
    start_dialog
    drive click 3 pane shown paint
    line=$(wine "$DRIVE_EXE" fit | tr -d "\r"; exit "${PIPESTATUS[0]}") || fail "the dialog does not fit at $dpi dpi: $line"
    echo "$line"
    [ "$(echo "$line" | awk '{ print $2 }')" = "$dpi" ] || fail "the prefix runs at $line, not $dpi dpi"
    screenshot "dialog-$dpi-dpi"
    # the dialog's face colour, just inside its client area's lower left corner, fills most of that area
    read -r left top right bottom <<<"$(echo "$line" | awk '{ print $4, $5, $6, $7 }')"
    shot="$SHOTS/dialog-$dpi-dpi.png"
    face=$(convert "$shot" -format "%[pixel:p{$((left + 2)),$((bottom - 3))}]" info:)
    area=$(((right - left) * (bottom - top)))
    count=$(convert "$shot" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage -fill black \
        +opaque "$face" -fill white -opaque "$face" -format '%[fx:round(mean*w*h)]' info:)
    [ $((count * 2)) -gt "$area" ] || fail "the dialog is not drawn at $dpi dpi ($count of $area pixels)"
    measured+=("$area")
    if [ "$dpi" = 96 ]; then
        step "Help and F1 show the built-in help"
        drive post-click 10 help "Tavo draws glowing particle trails."
        drive focus 1005
        press_key F1
        drive help "Trail Length:"
    fi
    drive click 2
    expect_end 0
done

step "the dialog at 144 dpi is about 2.25 times as large as at 96: ${measured[*]}"
ratio=$(awk -v a="${measured[0]}" -v b="${measured[1]}" 'BEGIN { printf "%.2f", b / a }')
awk -v r="$ratio" 'BEGIN { exit !(r > 1.8 && r < 2.7) }' || fail "the dialog grew by $ratio"
echo PASS
