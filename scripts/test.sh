#!/usr/bin/env bash
# The project's test command: installs what is missing, builds the native, sanitizer and Windows builds, and
# runs every suite (native unit tests, the same under ASan+UBSan, the Windows build's tests under Wine, the
# end-to-end scripts and a short fuzzing run). The last lines are ctest's summary over the suites.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/bootstrap.sh

# Runs one named step with its output in build/logs/NAME.log; shows the log's end if it fails.
step() {
    local name=$1
    shift
    local log="$root/build/logs/$name.log"
    mkdir -p "$root/build/logs"
    echo "== $name"
    if ! "$@" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "$name failed (full log: $log)" >&2
        exit 1
    fi
}
build() { step "building-$1" sh -c "cmake --preset '$1' && cmake --build --preset '$1'"; }

build native
build asan
build windows-x64
build windows-i686
step packaging-windows scripts/package-windows.sh
build fuzz
step packaging-linux scripts/package-linux.sh

# One ctest run over the suites, so its summary closes the output.
suites="$root/build/suites"
mkdir -p "$suites"
cat >"$suites/CTestTestfile.cmake" <<CTEST
add_test(native-unit-tests ctest --test-dir $root/build/native --output-on-failure -j2)
set_tests_properties(native-unit-tests PROPERTIES TIMEOUT 1200)
add_test(sanitizer-unit-tests ctest --test-dir $root/build/asan --output-on-failure -j2)
set_tests_properties(sanitizer-unit-tests PROPERTIES TIMEOUT 1200)
add_test(windows-tests-under-wine ctest --test-dir $root/build/windows-x64 --output-on-failure)
set_tests_properties(windows-tests-under-wine PROPERTIES TIMEOUT 1800)
add_test(linux-package $root/tests/package/linux.sh)
set_tests_properties(linux-package PROPERTIES TIMEOUT 300)
add_test(fuzz-smoke $root/scripts/fuzz-smoke.sh)
set_tests_properties(fuzz-smoke PROPERTIES TIMEOUT 900)
CTEST
echo "== running the suites"
ctest --test-dir "$suites" --output-on-failure
