#!/usr/bin/env bash
# The main job: installs what is missing, builds the release configuration, runs the engine benchmark and
# renders a gallery of the fifteen standard patterns headless into gallery/ (three frames each).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
echo "== building native-release"
cmake --preset native-release >/dev/null
cmake --build --preset native-release
./build/native-release/bench/tavo_engine_bench

echo "== rendering the gallery"
gallery="$(pwd)/gallery"
mkdir -p "$gallery" && rm -f "$gallery"/*.png
for pattern in $(seq 0 14); do
    ./build/native-release/tavo --snapshot "$gallery" --pattern "$pattern" --seed 1 --seconds 6 --fps 0.5 --names
done
echo "Gallery: $(find "$gallery" -name '*.png' | wc -l) PNG files of the fifteen patterns in $gallery"
