#!/usr/bin/env bash
# Screenshot of the gallery (every skinned control in each state) on a private Xvfb display:
#     tools/gallery-shot.sh [build folder]     -> <build folder>/gallery.png
set -euo pipefail
build=${1:-build}
tools=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$tools")
build=$(cd "$build" && pwd)
[ -x "$build/bin/gallery.exe" ] || { echo "gallery-shot: build $build/bin/gallery.exe first" >&2; exit 2; }
export WINEPREFIX="$build/wineprefix"
source "$tools/xvfb-lib.sh"
# A display of our own, so no other window covers the gallery.
unset DISPLAY
ensure_display
"$tools/wine-run.sh" wineboot --init >/dev/null 2>&1 || true

pictures="Z:${source_dir//\//\\}\\resources"
"$tools/wine-run.sh" "$build/bin/gallery.exe" "$pictures" 8 &
gallery=$!
for _ in $(seq 100); do
  xdotool search --name '^Gallery$' >/dev/null 2>&1 && break
  sleep 0.1
done
# The shadow window follows the form after its activation timer; let it and the first paints land.
sleep 2
import -window root -crop 1080x640+0+0 +repage "$build/gallery.png"
wait "$gallery" || true
echo "$build/gallery.png"
