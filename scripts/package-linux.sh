#!/usr/bin/env bash
# Builds the release saver and its Debian package: build/dist/tavo_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native-release >/dev/null
cmake --build --preset native-release
mkdir -p build/dist
(cd build/native-release && cpack -G DEB -B "$(pwd)/../dist" >/dev/null)
rm -rf build/dist/_CPack_Packages
ls build/dist/*.deb
