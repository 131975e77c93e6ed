#!/usr/bin/env bash
# Renders the README's gallery: one small picture per standard pattern into docs/gallery/pattern-NN.png
# (the last frame of an eight-second run with names shown, 360 x 270, a 64-colour palette to stay small),
# and prints the Markdown table that shows them. Needs the release build and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
tavo=${TAVO:-build/native-release/tavo}
out=docs/gallery
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
# A settings file of our own, so the pictures never depend on the user's stored settings.
settings="$work/tavo.reg"

for pattern in $(seq 0 14); do
    dir="$work/$pattern"
    mkdir -p "$dir"
    "$tavo" --settings-file "$settings" --snapshot "$dir" --pattern "$pattern" --seed 3 --seconds 8 \
        --fps 0.25 --names >/dev/null
    last=$(ls "$dir"/*.png | sort | tail -n 1)
    name=$(printf 'pattern-%02d.png' "$pattern")
    convert "$last" -resize 360x270 -colors 64 -strip "PNG8:$out/$name"
done

names=$("$tavo" --settings-file "$settings" --list-patterns | head -n 15)
echo "| | | |"
echo "|---|---|---|"
row=""
i=0
while IFS= read -r line; do
    # "*  0  Tavo": a marker, the number, the name, perhaps marks after it in brackets.
    name=$(echo "$line" | sed -E 's/^[^0-9]*[0-9]+ +//; s/ +[[(].*$//')
    cell="![$name](docs/gallery/$(printf 'pattern-%02d.png' "$i"))<br>$name"
    row="$row| $cell "
    i=$((i + 1))
    if [ $((i % 3)) -eq 0 ]; then
        echo "$row|"
        row=""
    fi
done <<<"$names"
