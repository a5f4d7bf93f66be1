#!/usr/bin/env bash
# Runs a Windows program under Wine with the prefix of the build folder it lives in, quiet, and
# with the ANSI code page 936 that the program is written for.
set -euo pipefail
exe=$1
dir=$(cd "$(dirname "$exe")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
if [ -z "${WINEPREFIX:-}" ]; then
  if [ "$dir" = / ]; then echo "wine-run: no build folder above $exe" >&2; exit 2; fi
  export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG=${WINEDEBUG:--all}

export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
exec env LC_ALL=zh_CN.UTF-8 "$wine" "$@"
