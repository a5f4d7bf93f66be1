#!/usr/bin/env bash
# Runs every test of a build folder under Wine, with an Xvfb display when none is given.
set -euo pipefail
build=${1:-build}
shift || true
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
tools=$(cd "$(dirname "$0")" && pwd)
source "$tools/xvfb-lib.sh"
ensure_display
# Boot the prefix once, before the tests run side by side in it.
"$tools/wine-run.sh" wineboot --init >/dev/null 2>&1 || true
cd "$build"
ctest --output-on-failure --timeout 300 -j "${TEST_JOBS:-2}" "$@"
