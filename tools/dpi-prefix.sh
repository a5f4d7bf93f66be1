#!/usr/bin/env bash
# A Wine prefix of the build whose display runs at another scale (LogPixels), made once as a copy
# of the build's own prefix, so that it trusts the same test root:
#     tools/dpi-prefix.sh BUILD DPI    -> prints the prefix (BUILD/wineprefix for 96)
set -euo pipefail
build=$(cd "$1" && pwd)
dpi=$2
case "$dpi" in 96 | 120 | 144 | 168 | 192) ;; *) echo "dpi-prefix: DPI 96, 120, 144, 168 or 192, not '$dpi'" >&2; exit 2 ;; esac
tools=$(cd "$(dirname "$0")" && pwd)
base=$build/wineprefix
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [ "$dpi" = 96 ]; then echo "$base"; exit 0; fi
prefix=$build/wineprefix-$dpi
if [ ! -f "$prefix/.logpixels-$dpi" ]; then
  [ -f "$base/system.reg" ] || WINEPREFIX=$base "$tools/wine-run.sh" wineboot --init >/dev/null 2>&1 || true
  WINEPREFIX=$base "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix.part" && cp -a "$base" "$prefix.part" && rm -rf "$prefix" && mv "$prefix.part" "$prefix"
  hex=$(printf '0x%x' "$dpi")
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    WINEPREFIX=$prefix "$tools/wine-run.sh" reg add "$key" /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
  done
  WINEPREFIX=$prefix "$wineserver" -w 2>/dev/null || true
  touch "$prefix/.logpixels-$dpi"
fi
echo "$prefix"
