#!/usr/bin/env bash
# The main job: installs what is missing, builds the release configuration and starts the saver in a window
# (`tavo --window`). On a machine without a display it says so and instead runs the engine benchmark and
# renders a gallery of the fifteen standard patterns headless into gallery/ (three frames each).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh run
echo "== building native-release"
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target tavo tavo_engine_bench

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "== starting the saver in a window (F1 shows the keys; close the window, or Ctrl+C here, to end it)"
    exec ./build/native-release/tavo --window "$@"
fi

echo "== there is no display here (DISPLAY is not set): benchmark and snapshot gallery instead"
./build/native-release/bench/tavo_engine_bench

echo "== rendering the gallery"
gallery="$(pwd)/gallery"
mkdir -p "$gallery" && rm -f "$gallery"/*.png
for pattern in $(seq 0 14); do
    ./build/native-release/tavo --snapshot "$gallery" --pattern "$pattern" --seed 1 --seconds 6 --fps 0.5 --names
done
# Two simulated minutes with morphing on: a morph lasts about a second, so some frames fall inside morphs and
# show the copies gliding and the names cross-fading; effects start by themselves along the way.
mkdir -p "$gallery/morphing" && rm -f "$gallery"/morphing/*.png
./build/native-release/tavo --snapshot "$gallery/morphing" --pattern 0 --seed 7 --seconds 120 --fps 4 --names
echo "Gallery: $(find "$gallery" -name '*.png' | wc -l) PNG files in $gallery (one folder per run; morphing/ holds two minutes of morphs)"
