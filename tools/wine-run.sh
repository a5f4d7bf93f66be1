#!/usr/bin/env bash
# Runs a Windows program under Wine with the prefix of the build folder it lives in, quiet, and
# with the ANSI code page 936 of a Chinese system; TALLYVO_WINE_LOCALE=en_US.UTF-8 gives an English
# system's 1252 instead.
set -euo pipefail
exe=$1
dir=$(cd "$(dirname "$exe")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
if [ -z "${WINEPREFIX:-}" ]; then
  if [ "$dir" = / ]; then echo "wine-run: no build folder above $exe" >&2; exit 2; fi
  export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG=${WINEDEBUG:--all}

locale_name=${TALLYVO_WINE_LOCALE:-zh_CN.UTF-8}
# Wine converts command lines and file names through the C library's locale; without a compiled
# UTF-8 locale it falls back to 7-bit ASCII and mangles every Chinese name. Compile the ones
# needed privately next to the prefix (no system change) when the machine lacks them.
if ! locale -a 2>/dev/null | grep -qi "^${locale_name%%.*}\.utf-\?8$"; then
  loc="$(dirname "$WINEPREFIX")/locale"
  for name in zh_CN.UTF-8 "$locale_name"; do
    [ -f "$loc/$name/LC_CTYPE" ] && continue
    mkdir -p "$loc"
    tmp=$(mktemp -d "$loc/.build.XXXXXX")
    localedef -i "${name%%.*}" -f UTF-8 "$tmp/$name" >/dev/null 2>&1 || true
    [ -f "$tmp/$name/LC_CTYPE" ] && mv -T "$tmp/$name" "$loc/$name" 2>/dev/null || true
    rm -rf "$tmp"
  done
  export LOCPATH="$loc"
fi

export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)

# The build's test root (tools/make-test-pki.sh) is trusted in its prefix, as a vendor's root is
# on a user's Windows; imported again only when the build made a new one.
test_root=$(dirname "$WINEPREFIX")/pki/test-root.reg
trusted_root=$WINEPREFIX/tallyvo-test-root.reg
if [ -f "$test_root" ] && ! cmp -s "$test_root" "$trusted_root"; then
  env LC_ALL=zh_CN.UTF-8 "$wine" regedit /S "Z:${test_root//\//\\}" >/dev/null 2>&1 &&
    cp "$test_root" "$trusted_root"
fi
exec env LC_ALL="$locale_name" "$wine" "$@"
