#!/usr/bin/env bash
# Runs one Windows program under Wine in a private, temporary prefix with the project's Wine settings
# (a 1024x768 virtual desktop, no crash dialog) on a private Xvfb display, and passes its exit code through.
# Usage: scripts/wine-run.sh PROGRAM.exe [ARGS...]
. "$(cd "$(dirname "$0")" && pwd)/../tests/e2e/lib.sh"
start_xvfb 1024x768
wine_prefix
wine "$@"
