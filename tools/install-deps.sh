#!/usr/bin/env bash
# Installs what the build, the tests and the benchmarks need on a Debian machine, and fetches
# Debian's libpng source (with its patches) into .deps/. Quick when everything is already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev dpkg-dev
          wine64 xvfb xdotool imagemagick fonts-wqy-microhei nginx curl openssl osslsigncode xauth locales
          aria2)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

src_list=/etc/apt/sources.list.d/tallyvo-src.sources
need_src=0
[ -d "$root/.deps/libpng-src" ] || need_src=1

if [ ${#missing[@]} -gt 0 ] || [ $need_src -eq 1 ]; then
  if [ $need_src -eq 1 ] && [ ! -f "$src_list" ]; then
    # deb-src twin of the machine's own first Debian entry: same URIs, suites and key.
    base=/etc/apt/sources.list.d/debian.sources
    if [ -f "$base" ]; then
      awk 'BEGIN{RS=""; ORS="\n\n"} /Types: deb/ && !done {sub(/Types: deb/, "Types: deb-src"); print; done=1}' \
        "$base" | sudo_ tee "$src_list" >/dev/null
    fi
  fi
  sudo_ env DEBIAN_FRONTEND=noninteractive apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ $need_src -eq 1 ]; then
  tmp=$(mktemp -d)
  (cd "$tmp" && apt-get source -qq libpng1.6 >/dev/null)
  dir=$(find "$tmp" -maxdepth 1 -type d -name 'libpng1.6-*' | head -n 1)
  mkdir -p "$root/.deps"
  mv "$dir" "$root/.deps/libpng-src"
  rm -rf "$tmp"
fi
