#!/usr/bin/env bash
# Downloads the sample package from an embedded local mirror with fetch.exe, showing the live
# progress lines, then checks that the saved file is byte-identical to what the mirror served.
# Usage: tools/demo.sh <build folder>
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
tools=$(cd "$(dirname "$0")" && pwd)
demo=$build/demo
package='Tallyvo（Norvik）（完整安装包）.exe'
package_size=$((6 * 1024 * 1024))
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)

[ -x "$build/bin/fetch.exe" ] || { echo "demo: $build/bin/fetch.exe is missing, run make build first" >&2; exit 2; }

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# A port derived from the build folder, moved on while something else holds it.
pick_port() {
  local port=$((30000 + $(printf '%s' "$build" | cksum | cut -d' ' -f1) % 20000)) i
  for i in $(seq 50); do
    port_in_use "$port" || { echo "$port"; return 0; }
    port=$((port + 1))
  done
  echo "demo: no free port near $port" >&2
  return 1
}

stop_mirror() {
  if [ -f "$demo/nginx.pid" ]; then
    kill "$(cat "$demo/nginx.pid")" 2>/dev/null || true
    for _ in $(seq 50); do [ -f "$demo/nginx.pid" ] || break; sleep 0.1; done
  fi
}

stop_mirror
mkdir -p "$demo/www/uploads" "$demo/tmp"
source_file="$demo/www/uploads/$package"
# Deterministic, incompressible sample bytes: the same package on every machine.
if [ ! -f "$source_file" ] || [ "$(stat -c %s "$source_file")" -ne "$package_size" ]; then
  # The cipher is cut off by head: its SIGPIPE is expected, not a failure.
  { openssl enc -aes-128-ctr -nosalt -K 000102030405060708090a0b0c0d0e0f -iv 0 </dev/zero 2>/dev/null || true; } |
    head -c "$package_size" >"$source_file"
fi

port=$(pick_port)
cat >"$demo/nginx.conf" <<CONF
daemon on;
pid $demo/nginx.pid;
error_log $demo/error.log warn;
worker_processes 1;
events { worker_connections 16; }
http {
  default_type application/octet-stream;
  access_log $demo/access.log;
  client_body_temp_path $demo/tmp/body;
  proxy_temp_path $demo/tmp/proxy;
  fastcgi_temp_path $demo/tmp/fastcgi;
  uwsgi_temp_path $demo/tmp/uwsgi;
  scgi_temp_path $demo/tmp/scgi;
  server {
    listen 127.0.0.1:$port;
    root $demo/www;
    limit_rate 1536k;
  }
}
CONF
"$nginx_bin" -c "$demo/nginx.conf" -p "$demo" 2>"$demo/start.err" || { cat "$demo/start.err" >&2; exit 1; }
trap stop_mirror EXIT
for _ in $(seq 50); do port_in_use "$port" && break; sleep 0.1; done

rm -rf "$demo/Tallyvo"
save_path="Z:${demo//\//\\}\\Tallyvo\\$package"
url="http://127.0.0.1:$port/uploads/$package"
echo "mirror: $url"
echo "saving: $save_path"
set +e
"$tools/wine-run.sh" "$build/bin/fetch.exe" "$url" "$save_path"
code=$?
set -e

saved="$demo/Tallyvo/$package"
want=$(sha256sum <"$source_file" | cut -d' ' -f1)
got=$( [ -f "$saved" ] && sha256sum <"$saved" | cut -d' ' -f1 || echo none)
if [ "$code" -eq 0 ] && [ "$want" = "$got" ]; then
  echo "demo: OK, $package_size bytes downloaded, sha256 $got matches the mirror"
else
  echo "demo: FAILED (fetch exit code $code, sha256 $got, expected $want)"
  exit 1
fi
