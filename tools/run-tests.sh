#!/usr/bin/env bash
# Runs every test of a build folder under Wine, with an Xvfb display when none is given.
set -euo pipefail
build=${1:-build}
shift || true
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
tools=$(cd "$(dirname "$0")" && pwd)
source "$tools/xvfb-lib.sh"
ensure_display
# Boot the prefix once, before the tests run side by side in it, and keep one wineserver up for
# the whole run: a test process started while the previous server winds down can fail to start.
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
"$wineserver" -p 2>/dev/null || true   # exit code 2: a server of this prefix is already up
"$tools/wine-run.sh" wineboot --init >/dev/null 2>&1 || true
trap '"$wineserver" -k 2>/dev/null || true; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT
cd "$build"
# Window tests under an emulated, manager-less display now and then lose a start-up race; a
# failure that repeats is a failure.
ctest --output-on-failure --timeout 300 -j "${TEST_JOBS:-2}" --repeat until-pass:2 "$@"
