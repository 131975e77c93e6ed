#!/usr/bin/env bash
# The main job: installs what is missing, builds the release configuration and starts the saver in a window
# (`tavo --window`). On a machine without a display it says so and renders the snapshot gallery instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
echo "== building native-release"
cmake --preset native-release >/dev/null
cmake --build --preset native-release
tavo=./build/native-release/tavo

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "== starting the saver in a window (close the window, or press Ctrl+C here, to end it)"
    exec "$tavo" --window "$@"
fi

echo "== there is no display here (DISPLAY is not set): rendering the snapshot gallery instead"
"$tavo" --snapshot gallery
echo "== the gallery's pictures are in $(pwd)/gallery"
