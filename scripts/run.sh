#!/usr/bin/env bash
# The main job: installs what is missing, builds the release configuration and runs the engine benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
echo "== building native-release"
cmake --preset native-release >/dev/null
cmake --build --preset native-release
./build/native-release/bench/tavo_engine_bench
