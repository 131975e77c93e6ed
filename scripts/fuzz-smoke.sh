#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each for a fixed number of inputs, starting from
# its seed corpus in fuzz/corpus. New inputs go to a temporary folder, never into the repository. Exits
# non-zero on the first crash, leak or failed check.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# fixed runs per target, sized so the whole smoke run stays near two minutes on a shared two-core machine
regfile_runs=${TAVO_FUZZ_REGFILE_RUNS:-20000}
settings_runs=${TAVO_FUZZ_SETTINGS_RUNS:-3000}
cmdline_runs=${TAVO_FUZZ_CMDLINE_RUNS:-20000}
options_runs=${TAVO_FUZZ_OPTIONS_RUNS:-20000}

log="$root/build/logs/fuzz.log"
mkdir -p "$root/build/logs"
if ! { cmake --preset fuzz && cmake --build --preset fuzz; } >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz-smoke: build failed (full log: $log)" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tavo-fuzz.XXXXXX")
artifacts="$root/build/fuzz-artifacts"
mkdir -p "$artifacts"
trap 'rm -rf "$work"' EXIT
for target in regfile settings cmdline options; do
    runs_var="${target}_runs"
    runs=${!runs_var}
    mkdir -p "$work/$target"
    cp "fuzz/corpus/$target/"* "$work/$target/"
    echo "== fuzzing $target ($runs runs)"
    (cd "$work" && "$root/build/fuzz/fuzz/${target}_fuzz" -runs="$runs" -seed=1 -max_len=4096 \
        -artifact_prefix="$artifacts/$target-" "$work/$target" 2>"$work/$target.log") || {
        tail -n 60 "$work/$target.log"
        echo "fuzz-smoke: $target failed; the input is kept in $artifacts" >&2
        exit 1
    }
    grep -E "^#[0-9]+.*DONE" "$work/$target.log" || tail -n 2 "$work/$target.log"
done
