#!/usr/bin/env bash
# Screenshot of the gallery (every skinned control in each state) on a private Xvfb display,
# at 100 % or, with --dpi, at another display scale (120, 144, 168 or 192: 125 % to 200 %):
#     tools/gallery-shot.sh [--dpi DPI] [build folder]   -> <build folder>/gallery.png (96 DPI)
#                                                           or <build folder>/gallery-DPI.png
set -euo pipefail
dpi=96
if [ "${1:-}" = --dpi ]; then dpi=${2:?"gallery-shot: --dpi needs a value"}; shift 2; fi
build=${1:-build}
tools=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$build" && pwd)
[ -x "$build/bin/gallery.exe" ] || { echo "gallery-shot: build $build/bin/gallery.exe first" >&2; exit 2; }
export WINEPREFIX="$build/wineprefix"
[ -f "$WINEPREFIX/system.reg" ] || "$tools/wine-run.sh" wineboot --init >/dev/null 2>&1 || true
WINEPREFIX=$("$tools/dpi-prefix.sh" "$build" "$dpi")
source "$tools/xvfb-lib.sh"
# A display of our own, so no other window covers the gallery; room for it at 200 %.
unset DISPLAY
TALLYVO_XVFB_SCREEN=2560x1600x24 ensure_display

out=$build/gallery.png
[ "$dpi" = 96 ] || out=$build/gallery-$dpi.png
"$tools/wine-run.sh" "$build/bin/gallery.exe" 8 &
gallery=$!
for _ in $(seq 100); do
  xdotool search --name '^Gallery$' >/dev/null 2>&1 && break
  sleep 0.1
done
# The shadow window follows the form after its activation timer; let it and the first paints land.
sleep 2
import -window root -crop "$((1080 * dpi / 96))x$((640 * dpi / 96))+0+0" +repage "$out"
wait "$gallery" || true
echo "$out"
